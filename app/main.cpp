// Kalmira: univariate regression in one window.
#include "app/errorbox.h"
#include "app/frmmain.h"

int main(int argc, char** argv)
{
    TKalmiraApplication app(argc, argv);
    TFrmMain window;
    window.show();
    return app.exec();
}
