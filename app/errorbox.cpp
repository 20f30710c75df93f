#include "app/errorbox.h"

#include <cctype>

#include "app/errortext.h"
#include "platform/msgbox.h"

std::string ApplicationTitleFrom(const std::string& filePath)
{
    std::string name = filePath.substr(filePath.find_last_of("/\\") == std::string::npos
                                           ? 0 : filePath.find_last_of("/\\") + 1);
    name = name.substr(0, name.find('.'));
    for (std::size_t i = 1; i < name.size(); ++i)
        name[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    return name;
}

std::string ApplicationTitle()
{
    return ApplicationTitleFrom(QCoreApplication::instance()
                                    ? QCoreApplication::applicationFilePath().toStdString()
                                    : std::string("kalmira"));
}

std::string ErrorBoxText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

void ShowCurrentException()
{
    QString message;
    try {
        throw;
    } catch (const std::exception& e) {
        message = ErrorTextOf(e);  // in the window's language
    } catch (...) {
        message = UnknownErrorText();
    }
    ShowMessageBox(ErrorBoxText(message.toStdString()), ApplicationTitle(), mbiError);
}

TKalmiraApplication::TKalmiraApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TKalmiraApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowCurrentException();
        return true;
    }
}
