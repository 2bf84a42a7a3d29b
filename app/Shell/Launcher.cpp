#include "Launcher.h"

#include "AppDelegate.h"
#include "AppInfo.h"
#include "SingleInstance.h"
#include "Storage/JsonReadBuffers.h"
#include "TerminationSignals.h"
#include "UI/AppModel.h"
#include "UI/DesktopShell.h"
#include "UI/DialogPrompts.h"
#include "UI/InputMonitor.h"
#include "UI/Model/InterfaceLanguage.h"
#include "UI/PortalColorScheme.h"
#include "UI/ThemeEnvironment.h"
#include "Views/MainWindow.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QSessionManager>
#include <QSettings>
#include <QTranslator>

#include <malloc.h>

namespace {

// The floating panels place themselves, which Wayland does not allow; XWayland does.
void preferXcbUnderWayland()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

} // namespace

namespace Launcher {

int run(int argc, char **argv, const Options &options)
{
    preferXcbUnderWayland();
    QApplication application(argc, argv);
    QApplication::setOrganizationName(AppInfo::organizationName);
    QApplication::setApplicationName(AppInfo::displayName);
    QApplication::setApplicationDisplayName(AppInfo::displayName);
    QApplication::setDesktopFileName(AppInfo::bundleIdentifier);
    // The delegate decides whether the last close quits, from the settings at that moment.
    QApplication::setQuitOnLastWindowClosed(false);

    // Installed first: a signal that comes during start-up waits in the pipe for the event loop.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &application, &QApplication::quit);

    SingleInstance instance;
    if (instance.claim() == SingleInstance::Claim::AlreadyRunning)
        return 0;

    // The interface texts are their Chinese wording; another language comes from a translation
    // chosen before any window exists. Without one, every text shows in Chinese.
    QTranslator translator;
    const QLocale language = InterfaceLanguage::translationLocale(QSettings());
    const bool translated = translator.load(language, QStringLiteral("quillmere"), QStringLiteral("_"),
                                            QApplication::applicationDirPath() + QStringLiteral("/translations"));
    if (translated)
        QApplication::installTranslator(&translator);
    // Qt's own texts (file panels, message box buttons) follow the interface's language.
    QTranslator qtTexts;
    const QLocale qtLanguage =
        translated ? language : QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
    if (qtTexts.load(qtLanguage, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    PortalColorScheme colorScheme;
    ThemeEnvironment theme(colorScheme);
    auto shell = std::make_shared<DesktopShell>();
    AppDelegate delegate(AppModel::production(std::make_shared<DialogPrompts>(), shell), theme);
    // Reading the library took parse buffers on several threads. The readers keep them for later
    // readers, and the allocator keeps the pages of freed ones unless asked to hand them back.
    JsonReadBuffers::releaseIdle();
    malloc_trim(0);
    QObject::connect(shell.get(), &DesktopShell::appearanceRequested, &delegate, &AppDelegate::applyThemeSettings);
    InputMonitor inputMonitor(delegate.model());

    QObject::connect(&instance, &SingleInstance::showRequested, &delegate, &AppDelegate::showMainWindow);
    QObject::connect(&application, &QApplication::aboutToQuit, &delegate, &AppDelegate::willTerminate);
    // The session is ending: save now, the session manager may end the process without a quit.
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &delegate,
        [&delegate](QSessionManager &) { delegate.willTerminate(); }, Qt::DirectConnection);
    QObject::connect(&application, &QGuiApplication::lastWindowClosed, &delegate, [&delegate] {
        if (delegate.quitsAfterLastWindowClosed())
            QApplication::quit();
    });

    MainWindow *window = delegate.openMainWindow();
    if (options.onFirstPaint)
        QObject::connect(window, &MainWindow::firstPainted, window, [window, &options] { options.onFirstPaint(*window); });
    window->show();
    delegate.didFinishLaunching();
    return application.exec();
}

} // namespace Launcher
