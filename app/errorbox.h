#pragma once
// The top-level error display: an error that leaves an event handler is shown in a modal error
// box with the application's title as caption, and the event loop goes on.
#include <QApplication>
#include <exception>
#include <string>

// The program's file name without its folder, cut at its first ".", with every character after
// the first in lower case ("KALMIRA.bin" gives "Kalmira", "kalmira" stays "kalmira").
std::string ApplicationTitle();
std::string ApplicationTitleFrom(const std::string& filePath);

// The message with a full stop added when its last character sorts after ".".
std::string ErrorBoxText(const std::string& message);

// Shows the error in flight (call inside a catch block) in the error box.
void ShowCurrentException();

// Runs `handler`; an error it raises is shown in the error box and goes no further. What the
// handler did before the error stays done.
template <class F>
void RunHandler(F&& handler)
{
    try {
        handler();
    } catch (...) {
        ShowCurrentException();
    }
}

// The application object: an error that an event handler lets escape ends that event only.
class TKalmiraApplication : public QApplication {
public:
    TKalmiraApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
