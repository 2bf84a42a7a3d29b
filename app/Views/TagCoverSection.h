#pragma once

#include "ChosenCover.h"
#include "UI/ThemePalette.h"

#include "Storage/FileLocation.h"
#include "Tags/TagFormatCapabilities.h"

#include <QFutureWatcher>
#include <QImage>
#include <QWidget>

#include <expected>
#include <optional>

class QLabel;
class QPushButton;
class TagCoverPreview;

// The tag editor's cover: the cover the tracks will carry after saving, the buttons to pick a new
// image or remove the cover, and a line saying what saving will do.
//
// The pending change is `artworkEdit()`: nothing leaves the cover alone, the empty text removes
// every cover, any other text is the new image in Base64. A picked file is read and decoded on a
// worker; a file too large or not an image is refused through refused() and changes nothing.
class TagCoverSection : public QWidget
{
    Q_OBJECT

public:
    TagCoverSection(bool batch, QWidget *parent = nullptr);

    // Until the capabilities are known the buttons stay disabled.
    void setCapabilities(const TagFormatCapabilities &capabilities);
    // The single track's cover as read, with its decoded thumbnail (null when it does not decode).
    void setCurrentCover(const std::optional<QString> &base64, const QImage &thumbnail);

    const std::optional<QString> &artworkEdit() const { return m_artworkEdit; }
    // What the square shows: nothing while a removal is pending, else the picked image, else the
    // track's current cover.
    QImage displayedCover() const;
    QString hint() const;
    // A picked file is still being read.
    bool isTakingCover() const { return m_taking.isRunning(); }

    // Runs the open panel and takes the chosen file.
    void chooseCover();
    // Takes the file as the new cover, once it has been read and decoded.
    void takeCoverFile(const FileLocation &file);
    void removeCover();

    void applyTheme(const ThemePalette &theme);

signals:
    void refused(const QString &message);
    void takingCoverChanged(bool taking);

private:
    void coverTaken();
    void refresh();

    bool m_batch;
    std::optional<TagFormatCapabilities> m_capabilities;
    std::optional<QString> m_artworkEdit;
    QImage m_previewImage;
    std::optional<QString> m_currentArtworkBase64;
    QImage m_currentCover;
    QFutureWatcher<std::optional<std::expected<ChosenCover, QString>>> m_taking;

    TagCoverPreview *m_preview;
    QPushButton *m_chooseButton;
    QPushButton *m_removeButton;
    QLabel *m_hint;
};
