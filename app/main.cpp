#include "app/commandline.h"
#include "app/nyoapp.h"
#include "platform/dialogs/dialogunits.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    // --help and --version are answered in the terminal before anything else: no display, no
    // hand-off to a running NYO, no lock.
    if (const std::optional<int> exitCode = CommandLine::answer(argc, argv))
        return *exitCode;

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("NYO"));
    QApplication::setOrganizationName(QStringLiteral("Hoshikage!"));
    // The installed desktop entry, so that docks and task bars show its name and icon.
    QApplication::setDesktopFileName(QStringLiteral("NYO"));

    // The platform's own dialogs (file, colour) speak Japanese like the rest of the program.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);
    DialogUnits::installFontSubstitutions();

    // QApplication has taken its own options out of argv; what is left is ours, read as bytes.
    CNYOApp app(CommandLine::arguments(argc, argv));
    if (!app.InitInstance())
        return app.ExitInstance(0);
    return app.ExitInstance(QApplication::exec());
}
