// Prints the width and height of a JPEG picture as the installer decodes it, so that a
// picture the program would not show is found before a medium is made.
// Usage: jpegsize <file.jpg>   prints "<width> <height>"; exit 1 when it is not a JPEG
#include <cstdio>

#include "framework/Jpeg.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: jpegsize <file.jpg>\n");
        return 2;
    }
    const QImage picture = LoadJpegFile(argv[1]);
    if (picture.isNull()) {
        std::fprintf(stderr, "jpegsize: %s is not a JPEG picture\n", argv[1]);
        return 1;
    }
    std::printf("%d %d\n", picture.width(), picture.height());
    return 0;
}
