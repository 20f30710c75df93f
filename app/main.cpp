// Kalmira: univariate regression in one window. A table file named on the command line is
// loaded into the value table once the window shows; "--lang en" shows the window in English.
#include <QStringList>

#include "app/errorbox.h"
#include "app/frmmain.h"
#include "app/language.h"
#include <cstdio>

int main(int argc, char** argv)
{
    TKalmiraApplication app(argc, argv);
    // Where the user's settings (the language chosen in the menu) are kept.
    QCoreApplication::setOrganizationName("Kalmira");
    QCoreApplication::setApplicationName("kalmira");
    QStringList args = QCoreApplication::arguments().mid(1);
    const QString language = TakeLanguageArgument(args);
    if (!SetLanguage(language.isEmpty() ? StoredLanguage() : language))
        std::fprintf(stderr, "kalmira: no language \"%s\"; the window stays German\n", qPrintable(language));
    TFrmMain window;
    window.show();
    if (!args.isEmpty()) RunHandler([&] { window.LoadTableFile(args.first().toStdString()); });
    return app.exec();
}
