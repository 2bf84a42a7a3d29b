#include "OrganizerSheetFixture.h"

#include <QTest>

OrganizerPreviewView &OrganizerSheetFixture::open(const QList<Track> &tracks)
{
    if (!model)
        buildModel();
    sheet = std::make_unique<OrganizerSheet>(*model, tracks, nullptr, prompts);
    theme.addRoot(sheet.get());
    sheet->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(sheet.get()));
    view = sheet->preview();
    waitForPlan();
    return *view;
}

void OrganizerSheetFixture::waitForPlan()
{
    EXPECT_TRUE(QTest::qWaitFor([this] { return !view->isPlanning(); }, 5000));
    settle();
}

void OrganizerSheetFixture::waitWhileBusy()
{
    EXPECT_TRUE(QTest::qWaitFor([this] { return !model->fileWorkProgress(); }, 10000));
    settle();
}
