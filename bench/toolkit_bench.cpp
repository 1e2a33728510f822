// The toolkit's frame costs, offscreen:
//   - layout + paint of a window of 2,000 controls (buttons, labels,
//     options, sliders, edits), time per full frame;
//   - a 4,000-row list of three-control rows scrolled one row per frame
//     (layout of the rows in view + paint of the window), time per frame.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <string>

#include "toolkit/button.h"
#include "toolkit/list.h"
#include "toolkit/paint_manager.h"
#include "toolkit/qt_render_context.h"
#include "toolkit/toolkit_app.h"
#include "toolkit/window_impl_base.h"

namespace talmi {
namespace {

class BenchWnd : public WindowImplBase {
 public:
  explicit BenchWnd(std::string skin) : m_skin(std::move(skin)) {}
  CDuiString GetWindowClassName() const override { return "BenchWnd"; }
  CDuiString GetSkinFile() override { return m_skin; }

 private:
  std::string m_skin;
};

// One frame: everything the window holds, into an image of its size.
void Frame(CPaintManagerUI& pm, QImage& img, bool relayout) {
  if (relayout) pm.NeedUpdate();
  pm.DoLayout(relayout);
  QPainter painter(&img);
  CRenderContext ctx(&painter);
  pm.Render(&ctx, RECT{0, 0, img.width(), img.height()});
}

std::string ManyControls() {
  constexpr const char* kinds[] = {
      R"(<Button text="Btn" width="40"/>)", R"(<Label text="Text" width="40"/>)",
      R"(<Option text="Opt" width="40" group="g"/>)", R"(<Slider width="40" value="50"/>)",
      R"(<Edit text="12" width="40"/>)"};
  std::string xml = R"(<Window size="1600,1000"><VerticalLayout name="root">)";
  for (int row = 0; row < 50; ++row) {
    xml += R"(<HorizontalLayout height="20">)";
    for (int col = 0; col < 40; ++col) xml += kinds[(row + col) % 5];
    xml += "</HorizontalLayout>";
  }
  return xml + "</VerticalLayout></Window>";
}

void BM_LayoutAndPaint2000Controls(benchmark::State& state) {
  BenchWnd wnd(ManyControls());
  if (!wnd.Create(nullptr, "bench", UI_WNDSTYLE_DIALOG, 0)) {
    state.SkipWithError("window not created");
    return;
  }
  CPaintManagerUI& pm = wnd.GetPaintManager();
  const SIZE sz = pm.GetClientSize();
  QImage img(sz.cx, sz.cy, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) Frame(pm, img, true);
  state.counters["controls"] = 2000;
  DestroyWindow(wnd.GetHWND());
  ProcessUiEvents();
}
BENCHMARK(BM_LayoutAndPaint2000Controls)->Unit(benchmark::kMillisecond);

void BM_Scroll4000RowList(benchmark::State& state) {
  BenchWnd wnd(R"(<Window size="400,600"><VerticalLayout name="root"><List name="list"/></VerticalLayout></Window>)");
  if (!wnd.Create(nullptr, "bench", UI_WNDSTYLE_DIALOG, 0)) {
    state.SkipWithError("window not created");
    return;
  }
  CPaintManagerUI& pm = wnd.GetPaintManager();
  auto* list = static_cast<CListUI*>(pm.FindControl("list"));
  for (int i = 0; i < 4000; ++i) {
    auto* row = new CListContainerElementUI;
    row->SetFixedHeight(30);
    auto* name = new CLabelUI;
    CDuiString t;
    t.Format("Row %d", i);
    name->SetText(t);
    auto* value = new CLabelUI;
    value->SetText("value");
    auto* button = new CButtonUI;
    button->SetText("Edit");
    button->SetFixedWidth(60);
    row->Add(name);
    row->Add(value);
    row->Add(button);
    list->Add(row);
  }
  const SIZE sz = pm.GetClientSize();
  QImage img(sz.cx, sz.cy, QImage::Format_ARGB32_Premultiplied);
  Frame(pm, img, true);
  const int range = list->GetScrollRange().cy;
  int y = 0;
  for (auto _ : state) {
    y = y + 30 > range ? 0 : y + 30;
    list->SetScrollPos(SIZE{0, y});
    Frame(pm, img, false);
  }
  state.counters["rows"] = 4000;
  DestroyWindow(wnd.GetHWND());
  ProcessUiEvents();
}
BENCHMARK(BM_Scroll4000RowList)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace talmi

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int qtArgc = 1;
  static char name[] = "toolkit_bench";
  static char* qtArgv[] = {name, nullptr};
  talmi::InitToolkit(qtArgc, qtArgv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
