// Draws the small 16-colour bitmaps of the drive selector and the directory list from
// the pixel maps below. Teal ('.') is the background; the controls take the bottom-left
// pixel of each bitmap as its transparent colour, so that pixel stays teal.
// Usage: bitmaps <output folder>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <cstring>

namespace {

// The platform's 16-colour palette and the letters the maps use for it.
struct PaletteEntry {
    char Key;
    QRgb Colour;
};
const PaletteEntry kPalette[16] = {
    {'k', qRgb(0, 0, 0)},       {'m', qRgb(128, 0, 0)},     {'g', qRgb(0, 128, 0)},
    {'o', qRgb(128, 128, 0)},   {'n', qRgb(0, 0, 128)},     {'p', qRgb(128, 0, 128)},
    {'.', qRgb(0, 128, 128)},   {'s', qRgb(192, 192, 192)}, {'d', qRgb(128, 128, 128)},
    {'r', qRgb(255, 0, 0)},     {'l', qRgb(0, 255, 0)},     {'y', qRgb(255, 255, 0)},
    {'b', qRgb(0, 0, 255)},     {'f', qRgb(255, 0, 255)},   {'c', qRgb(0, 255, 255)},
    {'w', qRgb(255, 255, 255)},
};

struct Art {
    const char* Name;
    int Width, Height;
    const char* Rows[15];
};

// clang-format off
// Drives: 16 x 11.
const Art kDrives[] = {
    {"FLOPPY", 16, 11,
     {"................",
      "................",
      "wwwwwwwwwwwwwwwk",
      "wssssssssssssssk",
      "wsdkkkkkkkkkkwsk",
      "wssssssssssssssk",
      "wssssssssssddssk",
      "wsllssssssswwssk",
      "wssssssssssssssk",
      "dkkkkkkkkkkkkkkk",
      "................"}},
    {"HARD", 16, 11,
     {"................",
      "................",
      "...kkkkkkkkkkkkk",
      "..kwwwwwwwwwwwsk",
      ".kwwwwwwwwwwwskk",
      "kkkkkkkkkkkkkdsk",
      "kwssssssssssskdk",
      "kwsllsssssssskk.",
      "kwssssssssssskk.",
      "kkkkkkkkkkkkkk..",
      "................"}},
    {"NETWORK", 16, 11,
     {"................",
      "kkkkkkkkkkkkkkk.",
      "kwwwwwwwwwwwwsk.",
      "kwsssssssssssdk.",
      "kwssssssssssyyk.",
      "kdddddddddddddk.",
      "kkkkkkkkkkkkkkk.",
      ".......kk.......",
      ".......kk.......",
      "kkkkkkkkkkkkkkkk",
      "................"}},
    {"CDROM", 16, 11,
     {"......kkkkk.....",
      "....kkcwwwckk...",
      "...kcwccwcccwk..",
      "...kwccckcccck..",
      "...kcwcccwcwck..",
      "kkkkkkwwwwwkkkkk",
      "kwwwwwwwwwwwwwsk",
      "kwsdddddddddsssk",
      "kwssssssssssllsk",
      "kkkkkkkkkkkkkkkk",
      "................"}},
    {"RAM", 16, 11,
     {"................",
      "................",
      "kkkkkkkkkkkkkkkk",
      "kggggggggggggggk",
      "kgkkkgkkkgkkkggk",
      "kgkkkgkkkgkkkggk",
      "kggggggggggggggk",
      "kkkkkkkkkkkkkkkk",
      ".y.y.y.y.y.y.y..",
      ".y.y.y.y.y.y.y..",
      "................"}},
};

// Folders: 16 x 15.
const Art kFolders[] = {
    {"CLOSEDFOLDER", 16, 15,
     {"................",
      "................",
      "................",
      "..kkkkk.........",
      ".kwyyyyk........",
      "kwyyyyyykkkkkkk.",
      "kyyyyyyyyyyyyok.",
      "kyyyyyyyyyyyyok.",
      "kyyyyyyyyyyyyok.",
      "kyyyyyyyyyyyyok.",
      "kyyyyyyyyyyyyok.",
      "kyyyyyyyyyyyyok.",
      "kooooooooooooook",
      ".kkkkkkkkkkkkkkk",
      "................"}},
    {"OPENFOLDER", 16, 15,
     {"................",
      "................",
      "................",
      "..kkkkk.........",
      ".kwyyyyk........",
      "kwyyyyyykkkkkk..",
      "kyyyyyyyyyyyyk..",
      "kyyykkkkkkkkkkkk",
      "kyykwyyyyyyyyyok",
      "kykwyyyyyyyyyok.",
      "kykyyyyyyyyyyok.",
      "kkwyyyyyyyyyok..",
      "kkyyyyyyyyyyok..",
      "kkkkkkkkkkkkk...",
      "................"}},
    {"CURRENTFOLDER", 16, 15,
     {"................",
      "................",
      "................",
      "..kkkkk.........",
      ".kwyyyyk........",
      "kwyyyyyykkkkkk..",
      "kyyyyyyyyyyyyk..",
      "kyyykkkkkkkkkkkk",
      "kyykwwwwwwwwwwwk",
      "kykwwddddddwwsk.",
      "kykwwwwwwwwwwsk.",
      "kkwwddddddwwsk..",
      "kkwsssssssssk...",
      "kkkkkkkkkkkkk...",
      "................"}},
};

// clang-format on

QImage draw(const Art& art) {
    QImage img(art.Width, art.Height, QImage::Format_Indexed8);
    img.setColorCount(16);
    for (int i = 0; i < 16; ++i) img.setColor(i, kPalette[i].Colour);
    for (int y = 0; y < art.Height; ++y) {
        const char* row = art.Rows[y];
        if (!row || static_cast<int>(std::strlen(row)) != art.Width) return {};
        for (int x = 0; x < art.Width; ++x) {
            int index = -1;
            for (int i = 0; i < 16; ++i)
                if (kPalette[i].Key == row[x]) index = i;
            if (index < 0) return {};
            img.setPixel(x, y, static_cast<uint>(index));
        }
    }
    return img;
}

bool save(const Art& art, const QString& dir) {
    QImage img = draw(art);
    QString path = dir + "/" + art.Name + ".bmp";
    if (img.isNull()) {
        std::fprintf(stderr, "%s: malformed pixel map\n", art.Name);
        return false;
    }
    if (!img.save(path, "BMP")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bitmaps <output folder>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QString dir = QString::fromLocal8Bit(argv[1]);
    bool ok = true;
    for (const Art& a : kDrives) ok &= save(a, dir);
    for (const Art& a : kFolders) ok &= save(a, dir);
    return ok ? 0 : 1;
}
