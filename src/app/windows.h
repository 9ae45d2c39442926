#pragma once

#include "settings/settingsstore.h"

#include <memory>

class QObject;
class TAboutBox;
class TMainForm;
class TMessageForm;
class TOptionsForm;
class TTerminateForm;
class TVersionsForm;

// The program's six windows. Each is created in this order and runs its creation handler at
// once; they are destroyed in the reverse order, the settings dialog and the main window
// storing their positions as they go.
class Windows {
public:
    // Unseen::Later makes only the main window and the settings dialog (whose creation applies
    // the settings to the main window) at once. The four windows the user does not see at
    // start follow right after the main window's first paint, so that paint does not wait for
    // them; a timer tick or input that comes sooner has them made first, so nothing that
    // could use them ever finds them missing.
    enum class Unseen { Now, Later };
    explicit Windows(const SettingsStore& store, Unseen unseen = Unseen::Now);
    ~Windows();

    Windows(const Windows&) = delete;
    Windows& operator=(const Windows&) = delete;

    // Members are destroyed bottom to top: the reverse of their creation.
    std::unique_ptr<TMainForm> MainForm;
    std::unique_ptr<TOptionsForm> OptionsForm;
    std::unique_ptr<TAboutBox> AboutBox;
    std::unique_ptr<TVersionsForm> VersionsForm;
    std::unique_ptr<TMessageForm> MessageForm;
    std::unique_ptr<TTerminateForm> TerminateForm;

private:
    void MakeUnseen();

    SettingsStore Store;
    // Watches for the first paint, tick or input while the unseen windows are still to come.
    std::unique_ptr<QObject> UnseenWatch;
};
