#pragma once

#include "TagEditBuilding.h"
#include "TagEditorLoad.h"
#include "UI/ThemePalette.h"

#include "Models/Track.h"

#include <QDialog>
#include <QFutureWatcher>
#include <QList>
#include <QThreadPool>

#include <optional>

class AppModel;
class SmallSpinner;
class QLabel;
class TagLimitationNote;
class QPushButton;
class QVBoxLayout;
class TagCoverSection;
class TagNumberFieldRow;
class TagTextFieldRow;

// The sheet in which the user edits the tags of one track or of several at once.
//
// With one track the file's tags are read when the sheet first shows, and only fields whose text
// then differs are written. With two or more the fields start empty and only the filled ones are
// written, to every track. The formats' capabilities and the tags are read on a worker; until
// they arrive the fields stay disabled. Saving hands the edits to the model: the sheet closes when
// the write succeeds, else it shows the returned text and keeps the user's input. While the write
// runs, neither the cancel button, Escape nor the window's close button dismisses the sheet.
class TagEditorView : public QDialog
{
    Q_OBJECT

public:
    TagEditorView(AppModel &model, const QList<Track> &tracks, QWidget *parent = nullptr);

    bool isBatch() const { return m_tracks.size() >= 2; }
    // Known once the worker has looked at the files.
    const std::optional<TagFormatCapabilities> &capabilities() const { return m_capabilities; }
    bool isLoaded() const { return m_loaded; }
    const std::optional<QString> &errorMessage() const { return m_errorMessage; }

    TagTextFieldRow *titleRow() const { return m_title; }
    TagTextFieldRow *artistRow() const { return m_artist; }
    TagTextFieldRow *albumRow() const { return m_album; }
    TagTextFieldRow *albumArtistRow() const { return m_albumArtist; }
    TagNumberFieldRow *yearRow() const { return m_year; }
    TagNumberFieldRow *trackNumberRow() const { return m_trackNumber; }
    TagTextFieldRow *genreRow() const { return m_genre; }
    TagCoverSection *coverSection() const { return m_cover; }
    QPushButton *saveButton() const { return m_saveButton; }
    QPushButton *cancelButton() const { return m_cancelButton; }

    // The sheet's state as the edits are built from it.
    TagEditBuilding::Form form() const;
    void save();

    // Refused while the sheet cannot be dismissed; Escape and the close button come here too.
    void reject() override;

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildHeader();
    QWidget *buildForm();
    QWidget *buildFooter();
    void loadInitialValues();
    void loaded();
    void saveFinished();
    void showError(const QString &message);
    void refreshFooter();
    bool canDismiss() const;
    // Follows the window palette, which the theme environment changes by repainting the window.
    void followTheme();
    void applyTheme(const ThemePalette &theme);

    AppModel &m_model;
    QList<Track> m_tracks;
    std::optional<TagFormatCapabilities> m_capabilities;
    std::optional<TagFields> m_initialFields;
    std::optional<QString> m_errorMessage;
    bool m_didLoad = false;
    bool m_loaded = false;
    bool m_saving = false;
    std::optional<ThemePalette> m_appliedTheme;

    // The tag read uses the model's tag service by reference, so the sheet's own pool waits for
    // a read in flight before the sheet goes.
    QThreadPool m_readPool;
    QFutureWatcher<TagEditorLoad> m_load;
    QFutureWatcher<std::optional<QString>> m_saveResult;

    QLabel *m_heading = nullptr;
    QLabel *m_subtitle = nullptr;
    QWidget *m_rule = nullptr;
    QLabel *m_batchNote = nullptr;
    QVBoxLayout *m_formLayout = nullptr;
    TagLimitationNote *m_limitationNote = nullptr;
    TagTextFieldRow *m_title = nullptr;
    TagTextFieldRow *m_artist = nullptr;
    TagTextFieldRow *m_album = nullptr;
    TagTextFieldRow *m_albumArtist = nullptr;
    TagNumberFieldRow *m_year = nullptr;
    TagNumberFieldRow *m_trackNumber = nullptr;
    TagTextFieldRow *m_genre = nullptr;
    TagCoverSection *m_cover = nullptr;
    QLabel *m_errorLine = nullptr;
    QLabel *m_closingNote = nullptr;
    SmallSpinner *m_busy = nullptr;
    QLabel *m_progressText = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QPushButton *m_saveButton = nullptr;
};
