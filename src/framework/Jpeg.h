// JPEG pictures, decoded through libjpeg itself.
#pragma once

#include <QImage>
#include <QString>
#include <string>

// Returns a null image when the data is not a decodable JPEG.
QImage DecodeJpeg(const std::string& bytes);
QImage LoadJpegFile(const std::string& nativePath);
QImage LoadJpegResource(const QString& resource);
