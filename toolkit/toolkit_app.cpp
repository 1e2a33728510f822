#include "toolkit/toolkit_app.h"

#include <QApplication>
#include <QElapsedTimer>

namespace talmi {
namespace {

QApplication* g_ownApp = nullptr;

}  // namespace

bool InitToolkit(int& argc, char** argv) {
  if (QCoreApplication::instance()) return true;
  g_ownApp = new QApplication(argc, argv);
  return true;
}

void ShutdownToolkit() {
  if (!g_ownApp) return;
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  delete g_ownApp;
  g_ownApp = nullptr;
}

void ProcessUiEvents(int ms) {
  if (!QCoreApplication::instance()) return;
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  if (ms <= 0) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return;
  }
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, ms);
}

}  // namespace talmi
