#pragma once
// The process's UI application object. The program (or a test) calls
// InitToolkit once on the thread that becomes the UI thread, before any
// window is created.
namespace talmi {

// Creates the application object when there is none yet; true when one
// exists afterwards. argc/argv must outlive the toolkit.
bool InitToolkit(int& argc, char** argv);
// Deletes the application object if InitToolkit created it.
void ShutdownToolkit();
// Runs pending UI work (posted messages, timers, repaints) for up to ms.
void ProcessUiEvents(int ms = 0);

}  // namespace talmi
