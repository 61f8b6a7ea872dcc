#include "framework/Jpeg.h"

#include <jpeglib.h>

#include <QFile>
#include <csetjmp>
#include <cstdio>
#include <memory>

#include "platform/Platform.h"

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

void onError(j_common_ptr info) {
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    longjmp(err->jump, 1);
}

void onMessage(j_common_ptr) {}  // warnings of damaged data stay quiet

// The windows' pictures are a few hundred pixels wide; a declared size beyond this is a
// damaged or hostile file, not a picture to allocate for.
constexpr unsigned kMaxSide = 4096;
// No picture file comes near this; a larger one is not read into memory.
constexpr size_t kMaxFileBytes = 16 * 1024 * 1024;

}  // namespace

QImage DecodeJpeg(const std::string& bytes) {
    if (bytes.size() < 4) return {};
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.output_message = onMessage;
    QImage image;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return {};
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&cinfo);
        return {};
    }
    if (cinfo.image_width > kMaxSide || cinfo.image_height > kMaxSide) {
        jpeg_destroy_decompress(&cinfo);
        return {};
    }
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    image = QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                   QImage::Format_RGB888);
    if (image.isNull()) {
        jpeg_destroy_decompress(&cinfo);
        return {};
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage LoadJpegFile(const std::string& nativePath) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(platform::OpenRegularFile(nativePath),
                                                       &std::fclose);
    if (!in) return {};
    std::string bytes;
    char chunk[65536];
    while (size_t n = std::fread(chunk, 1, sizeof chunk, in.get())) {
        if (bytes.size() + n > kMaxFileBytes) return {};
        bytes.append(chunk, n);
    }
    return DecodeJpeg(bytes);
}

QImage LoadJpegResource(const QString& resource) {
    QFile f(resource);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QByteArray data = f.readAll();
    return DecodeJpeg(std::string(data.constData(), static_cast<size_t>(data.size())));
}
