#pragma once
// Modal message boxes with one OK button. Every box goes through a replaceable hook, so tests
// record the boxes instead of blocking on them.
#include <functional>
#include <string>

enum TMsgBoxIcon { mbiNone, mbiInformation, mbiWarning, mbiError };

struct TMessageBoxRequest {
    std::string Text;
    std::string Caption;
    TMsgBoxIcon Icon = mbiNone;
    bool TopMost = false;                      // stays above every other window
};

using TMessageBoxHook = std::function<void(const TMessageBoxRequest& request)>;

// Shows the box modally (through the hook when one is installed) and returns when it is closed.
void ShowMessageBox(const std::string& text, const std::string& caption, TMsgBoxIcon icon,
                    bool topMost = false);

// Installs `hook` in place of the toolkit's box; an empty hook restores the toolkit's box.
// Returns the hook that was installed before.
TMessageBoxHook SetMessageBoxHook(TMessageBoxHook hook);

// Installs a hook for the lifetime of the object and restores the previous one after it.
class TMessageBoxHookScope {
public:
    explicit TMessageBoxHookScope(TMessageBoxHook hook) : m_previous(SetMessageBoxHook(std::move(hook))) {}
    ~TMessageBoxHookScope() { SetMessageBoxHook(std::move(m_previous)); }
    TMessageBoxHookScope(const TMessageBoxHookScope&) = delete;
    TMessageBoxHookScope& operator=(const TMessageBoxHookScope&) = delete;

private:
    TMessageBoxHook m_previous;
};
