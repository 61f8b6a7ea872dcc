// Pictures come in through libjpeg, and sizes no window could show are refused unread.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "framework/Jpeg.h"

namespace {

TEST(Jpeg, DecodesThroughLibjpegAndRefusesOtherData) {
    QImage src(8, 6, QImage::Format_RGB32);
    src.fill(QColor(200, 40, 40));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(src.save(&buffer, "JPG", 95));
    QImage out = DecodeJpeg(std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
    ASSERT_FALSE(out.isNull());
    EXPECT_EQ(out.size(), QSize(8, 6));
    EXPECT_NEAR(qRed(out.pixel(3, 3)), 200, 8);
    EXPECT_TRUE(DecodeJpeg("not a picture at all").isNull());
    EXPECT_TRUE(DecodeJpeg("").isNull());

    // The same few hundred bytes declaring other sizes: huge ones are refused unread.
    std::string small(bytes.constData(), static_cast<size_t>(bytes.size()));
    size_t sof = small.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    struct Case {
        unsigned width, height;
        bool decoded;
    };
    for (Case c : {Case{4096, 16, true}, Case{4097, 16, false}, Case{16, 12000, false},
                   Case{12000, 12000, false}}) {
        std::string patched = small;
        patched[sof + 5] = static_cast<char>(c.height >> 8);
        patched[sof + 6] = static_cast<char>(c.height);
        patched[sof + 7] = static_cast<char>(c.width >> 8);
        patched[sof + 8] = static_cast<char>(c.width);
        EXPECT_EQ(!DecodeJpeg(patched).isNull(), c.decoded) << c.width << " x " << c.height;
    }
}

}  // namespace
