#pragma once

#include <memory>

class SettingsStore;
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
    explicit Windows(const SettingsStore& store);
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
};
