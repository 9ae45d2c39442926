#include "app/windows.h"

#include "app/mainform.h"
#include "app/messageform.h"
#include "info/aboutbox.h"
#include "settings/optionsform.h"
#include "update/terminateform.h"
#include "update/versionsform.h"

Windows::Windows(const SettingsStore& store) {
    MainForm = std::make_unique<TMainForm>(store);
    MainForm->FormCreate();
    OptionsForm = std::make_unique<TOptionsForm>(store, *MainForm);
    // Before the dialog applies the settings: the size switches check its radio buttons.
    MainForm->OptionsForm = OptionsForm.get();
    OptionsForm->FormCreate();
    AboutBox = std::make_unique<TAboutBox>(store);
    AboutBox->MainForm = MainForm.get();
    MainForm->AboutBox = AboutBox.get();
    AboutBox->FormCreate();
    VersionsForm = std::make_unique<TVersionsForm>();
    VersionsForm->FormCreate();
    VersionsForm->MainWindow = MainForm.get();
    VersionsForm->EndProgram = [this] { MainForm->close(); };
    OptionsForm->CheckNow = [this](int top, int left, int height, int width) {
        VersionsForm->ManualCheck(top, left, height, width);
    };
    QObject::connect(&MainForm->UpdateTimer, &QTimer::timeout, VersionsForm.get(),
                     &TVersionsForm::AutoCheck);
    // Ending the program stops a running check or download at once.
    QObject::connect(MainForm.get(), &TMainForm::Closed, VersionsForm.get(), &TVersionsForm::Abort);
    MessageForm = std::make_unique<TMessageForm>(MainForm->palette().color(QPalette::Window));
    MainForm->MessageForm = MessageForm.get();
    AboutBox->ShowTimed = [form = MessageForm.get()](int top, int left, int height, int width,
                                                     const QString& line1, const QString& line2,
                                                     int intervalMs) {
        form->ShowTimed(top, left, height, width, line1, line2, intervalMs);
    };
    TerminateForm = std::make_unique<TTerminateForm>();
    TerminateForm->FormCreate();
}

Windows::~Windows() = default;
