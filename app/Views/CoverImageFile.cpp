#include "CoverImageFile.h"

#include <QFile>
#include <QImageReader>

#include <fcntl.h>
#include <unistd.h>

namespace CoverImageFile {

QImage decode(const FileLocation &file, int pixelSide)
{
    // Opened by its raw path bytes: the name need not be UTF-8.
    const int descriptor = ::open(file.cPath(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return {};
    QFile device;
    if (!device.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return {};
    }
    QImageReader reader(&device);
    reader.setAutoTransform(true);
    const QSize original = reader.size();
    if (original.isValid() && std::min(original.width(), original.height()) > pixelSide)
        reader.setScaledSize(original.scaled(pixelSide, pixelSide, Qt::KeepAspectRatioByExpanding));
    return reader.read();
}

} // namespace CoverImageFile
