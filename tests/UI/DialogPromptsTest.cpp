#include "DesktopShell.h"
#include "DialogPrompts.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Answers the next modal dialog once it is shown.
void whenModal(std::function<void(QWidget *)> answer)
{
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [answer, poll] {
        if (QWidget *modal = QApplication::activeModalWidget())
            answer(modal);
        else
            QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(10, *poll);
}

QPushButton *buttonNamed(QWidget *dialog, const QString &text)
{
    for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

} // namespace

TEST(DialogPromptsTest, ConfirmShowsTheTitleAsPlainTextWithTheConfirmingButtonAsDefault)
{
    DialogPrompts prompts;
    QStringList buttons;
    Qt::TextFormat format = Qt::AutoText;
    QString defaultButton;
    whenModal([&](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        ASSERT_TRUE(box);
        format = box->textFormat();
        defaultButton = box->defaultButton()->text();
        for (QAbstractButton *button : box->findChild<QDialogButtonBox *>()->buttons())
            buttons.append(button->text());
        buttonNamed(box, QStringLiteral("删除"))->click();
    });

    EXPECT_TRUE(prompts.confirm(QStringLiteral("删除播放列表「<b>x</b>」？"), QStringLiteral("说明"), QStringLiteral("删除")));
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(defaultButton, QStringLiteral("删除"));
    EXPECT_EQ(buttons.size(), 2);
    EXPECT_TRUE(buttons.contains(QStringLiteral("取消")));

    whenModal([](QWidget *modal) { buttonNamed(modal, QStringLiteral("取消"))->click(); });
    EXPECT_FALSE(prompts.confirm(QStringLiteral("?"), QString(), QStringLiteral("删除")));
}

TEST(DialogPromptsTest, AskTextGivesTheTextAsTypedOrNothing)
{
    DialogPrompts prompts;
    whenModal([](QWidget *modal) {
        auto *input = qobject_cast<QInputDialog *>(modal);
        ASSERT_TRUE(input);
        EXPECT_EQ(input->textValue(), QStringLiteral("Old"));
        input->setTextValue(QStringLiteral("  New  "));
        buttonNamed(input, QStringLiteral("确定"))->click();
    });
    EXPECT_EQ(prompts.askText(QStringLiteral("重命名播放列表"), QStringLiteral("输入新的名称。"), QStringLiteral("Old")),
              QStringLiteral("  New  "));

    whenModal([](QWidget *modal) { buttonNamed(modal, QStringLiteral("取消"))->click(); });
    EXPECT_FALSE(prompts.askText(QStringLiteral("新建播放列表"), QString(), QString()));
}

TEST(DesktopShellTest, HidesMainWindowsButNotPanelsAndFillsTheClipboard)
{
    DesktopShell shell;
    QWidget main;
    QWidget panel(nullptr, Qt::Tool);
    main.show();
    panel.show();

    shell.hideMainWindows();
    shell.copyToClipboard(QStringLiteral("brew install ffmpeg"));

    EXPECT_FALSE(main.isVisible());
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("brew install ffmpeg"));
}
