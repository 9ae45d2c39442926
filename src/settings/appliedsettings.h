#pragma once

// The settings as last applied by the settings dialog; all false until its creation has
// applied the stored values.
struct AppliedSettings {
    bool AlarmOn = false;
    bool SoundOn = false;
    bool UpdatesOn = false;
};
