// Kalmira: univariate regression in one window. A table file named on the command line is
// loaded into the value table once the window shows.
#include <QStringList>

#include "app/errorbox.h"
#include "app/frmmain.h"

int main(int argc, char** argv)
{
    TKalmiraApplication app(argc, argv);
    TFrmMain window;
    window.show();
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (!args.isEmpty()) RunHandler([&] { window.LoadTableFile(args.first().toStdString()); });
    return app.exec();
}
