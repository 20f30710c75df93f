#include "app/uifont.h"

#include "platform/font.h"

QFont UiFont(const std::string& face, int pixelHeight, bool bold)
{
    QFont font(QString::fromStdString(ResolveFontFamily(face)));
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}
