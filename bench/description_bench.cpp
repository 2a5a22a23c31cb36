// Prints how long reading a window description takes, and the cost of the main window's
// per-tick memory readout and tray text. Native build; figures only, no pass or fail.
//   description_bench [iterations]   (default 2000 window reads)
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include "app/MainLogic.h"
#include "framework/Classes.h"
#include "framework/Description.h"
#include "framework/Exception.h"
#include "framework/Strings.h"

namespace {

using Clock = std::chrono::steady_clock;

enum TBenchAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
const TEnumInfo& AlignInfo() {
  static const TEnumInfo e{"TBenchAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"}};
  return e;
}
enum TBenchAnchor { akLeft, akTop, akRight, akBottom };
const TEnumInfo& AnchorInfo() {
  static const TEnumInfo e{"TBenchAnchor", {"akLeft", "akTop", "akRight", "akBottom"}};
  return e;
}
// Colour names as the real descriptions use them, so that ident lookup is part of the cost.
const TIdentMap& ColorIdents() {
  static const TIdentMap m{{{"clBlack", 0x000000}, {"clWhite", 0xFFFFFF}, {"clBtnFace", -16777201},
                            {"clWindow", -16777211}, {"clWindowText", -16777208}, {"clLime", 0x00FF00}}};
  return m;
}

class TBenchFont : public TPersistent {
  VELMORA_CLASS(TBenchFont, TPersistent)
 public:
  int Height() const { return FHeight; }
  void SetHeight(int v) { FHeight = v; }
  const std::string& Name() const { return FName; }
  void SetName(const std::string& v) { FName = v; }

 private:
  int FHeight = -11;
  std::string FName = "MS Sans Serif";
};
VELMORA_CLASS_INFO(TBenchFont) {
  b.Int("Height", &TBenchFont::Height, &TBenchFont::SetHeight);
  b.Str("Name", &TBenchFont::Name, &TBenchFont::SetName);
}

// A control-like component with the property kinds window descriptions set most.
class TBenchControl : public TComponent {
  VELMORA_CLASS(TBenchControl, TComponent)
 public:
  using TComponent::TComponent;
  int Left() const { return FLeft; }
  void SetLeft(int v) { FLeft = v; }
  int Top() const { return FTop; }
  void SetTop(int v) { FTop = v; }
  int Width() const { return FWidth; }
  void SetWidth(int v) { FWidth = v; }
  int Height() const { return FHeight; }
  void SetHeight(int v) { FHeight = v; }
  int Color() const { return FColor; }
  void SetColor(int v) { FColor = v; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool v) { FVisible = v; }
  TBenchAlign Align() const { return FAlign; }
  void SetAlign(TBenchAlign v) { FAlign = v; }
  uint32_t Anchors() const { return FAnchors; }
  void SetAnchors(uint32_t v) { FAnchors = v; }
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& v) { FCaption = v; }
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& v) { FHint = v; }
  TBenchControl* Buddy() const { return FBuddy; }
  void SetBuddy(TBenchControl* v) {
    FBuddy = v;
    if (v) v->FreeNotification(this);
  }
  TBenchFont* Font() { return &FFont; }
  TStringList* Lines() { return &FLines; }
  TNotifyEvent OnClick;

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == TOperation::opRemove && c == FBuddy) FBuddy = nullptr;
  }

 private:
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0, FColor = 0;
  bool FVisible = true;
  TBenchAlign FAlign = alNone;
  uint32_t FAnchors = 0;
  std::string FCaption, FHint;
  TBenchControl* FBuddy = nullptr;
  TBenchFont FFont;
  TStringList FLines;
};
VELMORA_CLASS_INFO(TBenchControl) {
  b.Int("Left", &TBenchControl::Left, &TBenchControl::SetLeft);
  b.Int("Top", &TBenchControl::Top, &TBenchControl::SetTop);
  b.Int("Width", &TBenchControl::Width, &TBenchControl::SetWidth);
  b.Int("Height", &TBenchControl::Height, &TBenchControl::SetHeight);
  b.Int("Color", &TBenchControl::Color, &TBenchControl::SetColor, &ColorIdents());
  b.Bool("Visible", &TBenchControl::Visible, &TBenchControl::SetVisible);
  b.Enum("Align", &TBenchControl::Align, &TBenchControl::SetAlign, AlignInfo());
  b.Set("Anchors", &TBenchControl::Anchors, &TBenchControl::SetAnchors, AnchorInfo());
  b.Str("Caption", &TBenchControl::Caption, &TBenchControl::SetCaption);
  b.Str("Hint", &TBenchControl::Hint, &TBenchControl::SetHint);
  b.Ref<TBenchControl>("Buddy", &TBenchControl::Buddy, &TBenchControl::SetBuddy);
  b.Object("Font", &TBenchControl::Font);
  b.Strings("Lines", &TBenchControl::Lines);
  b.Event("OnClick", &TBenchControl::OnClick);
  b.Creatable();
}

class TBenchForm : public TBenchControl {
  VELMORA_CLASS(TBenchForm, TBenchControl)
 public:
  explicit TBenchForm(TComponent* o) : TBenchControl(o) {
    RegisterHandler("ControlClick", TNotifyEvent([this](TObject*) { ++Clicks; }));
  }
  int Clicks = 0;
};
VELMORA_CLASS_INFO(TBenchForm) {}

constexpr int kGroups = 6;
constexpr int kPerGroup = 9;  // each group: a panel and 9 controls
constexpr int kComponents = kGroups * (1 + kPerGroup);

// One component's property lines: 5 to 10 of them, in a mix of the kinds above. References and
// handlers come first among the extras, so that resolving them is part of a read.
std::string PropLines(int n, const std::string& ind) {
  const int count = 5 + (n * 7) % 6;
  std::string s;
  auto line = [&](const std::string& l) { s += ind + l + "\n"; };
  line("Left = " + std::to_string(8 + n * 3));
  line("Top = " + std::to_string(4 + n * 5));
  line("Width = " + std::to_string(60 + n % 40));
  line("Height = " + std::to_string(17 + n % 9));
  line("Caption = 'Item " + std::to_string(n) + " it''s'");
  std::vector<std::string> extra;
  if (n % 2 == 1) extra.push_back("Buddy = Ctl" + std::to_string(n - 1));
  if (n % 4 == 0) extra.push_back("OnClick = ControlClick");
  if (n % 10 == 9) extra.push_back("Lines.Strings = (\n" + ind + "  'alpha'\n" + ind + "  'beta=2')");
  extra.push_back("Color = clBtnFace");
  extra.push_back("Hint = 'first line'#13#10'second line of ' +\n" + ind + "  'control " + std::to_string(n) + "'");
  extra.push_back("Align = alTop");
  extra.push_back("Anchors = [akLeft, akTop, akRight]");
  extra.push_back("Font.Height = -13");
  for (int i = 0; i < count - 5 && i < static_cast<int>(extra.size()); ++i) line(extra[i]);
  return s;
}

std::string MakeDescription() {
  std::string d = "object BenchForm: TBenchForm\n";
  d += PropLines(1000, "  ");
  int n = 0;
  for (int g = 0; g < kGroups; ++g) {
    d += "  object Ctl" + std::to_string(n) + ": TBenchControl\n";
    d += PropLines(n, "    ");
    ++n;
    for (int k = 0; k < kPerGroup; ++k, ++n) {
      d += "    object Ctl" + std::to_string(n) + ": TBenchControl\n";
      d += PropLines(n, "      ");
      d += "    end\n";
    }
    d += "  end\n";
  }
  return d + "end\n";
}

// A benchmark of a broken read is worthless: make sure the window came out whole first.
bool CheckWindow(const TBenchForm& form, const desc::Object& tree) {
  if (form.ComponentCount() != kComponents) {
    std::fprintf(stderr, "description_bench: %d components read, %d expected\n", form.ComponentCount(), kComponents);
    return false;
  }
  // Each Buddy line names the component before; every one must have been resolved to it.
  int written = 0, resolved = 0;
  auto walk = [&](auto& self, const desc::Object& o) -> void {
    for (const auto& p : o.props) written += p.name == "Buddy";
    for (const auto& ch : o.children) self(self, ch);
  };
  walk(walk, tree);
  for (int i = 1; i < kComponents; ++i) {
    auto* c = static_cast<TBenchControl*>(form.Components(i));
    resolved += c->Buddy() && c->Buddy() == form.Components(i - 1);
  }
  auto* c = static_cast<TBenchControl*>(form.Components(kComponents - 1));
  if (written == 0 || resolved != written || c->Caption() != "Item " + std::to_string(kComponents - 1) + " it's") {
    std::fprintf(stderr, "description_bench: the components were not read as written\n");
    return false;
  }
  return true;
}

// Property lines per component (the window itself included), for the printed summary.
void CountProps(const desc::Object& o, int& objects, int& props) {
  ++objects;
  props += static_cast<int>(o.props.size());
  for (const auto& ch : o.children) CountProps(ch, objects, props);
}

double Micros(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }
double Nanos(Clock::duration d) { return std::chrono::duration<double, std::nano>(d).count(); }

// Available bytes that sweep the whole range over the calls.
int32_t Avail(int i, int32_t total) { return static_cast<int32_t>(static_cast<int64_t>(i) * 1048573 % total); }

volatile int64_t g_sink;  // keeps the measured results alive

}  // namespace

int main(int argc, char** argv) {
  const int iterations = argc > 1 ? std::atoi(argv[1]) : 2000;
  if (iterations <= 0) {
    std::fprintf(stderr, "usage: %s [iterations]\n", argv[0]);
    return 2;
  }
  RegisterComponentClass(TBenchControl::StaticClassInfo());
  const std::string text = MakeDescription();
  const std::string name = "Bench";

  try {
    {
      TBenchForm form(nullptr);
      ReadDescription(&form, text, name);
      if (!CheckWindow(form, desc::Parse(text, name))) return 1;
    }
    int objects = 0, props = 0;
    CountProps(desc::Parse(text, name), objects, props);

    // Parsing alone: text to the description tree.
    Clock::duration parse{};
    for (int i = 0; i < iterations; ++i) {
      auto t0 = Clock::now();
      desc::Object o = desc::Parse(text, name);
      parse += Clock::now() - t0;
      g_sink = static_cast<int64_t>(o.children.size());
    }

    // The whole read: parse, create, set, resolve, Loaded. Freeing the window is not counted.
    Clock::duration read{};
    for (int i = 0; i < iterations; ++i) {
      TBenchForm form(nullptr);
      auto t0 = Clock::now();
      ReadDescription(&form, text, name);
      read += Clock::now() - t0;
      g_sink = form.ComponentCount();
    }

    std::printf("description: %d components + window, %d properties (%.1f each), %zu bytes, %d iterations\n",
                kComponents, props, static_cast<double>(props) / objects, text.size(), iterations);
    std::printf("description parse: %.1f us per window (%d components)\n", Micros(parse) / iterations,
                kComponents);
    std::printf("description read: %.1f us per window (%d components)\n", Micros(read) / iterations,
                kComponents);
  } catch (const Exception& e) {
    std::fprintf(stderr, "description_bench: %s\n", e.Message().c_str());
    return 1;
  }

  // The main window's once-a-tick work, with readings that change every call.
  constexpr int kCalls = 1000000;
  const int32_t total = 256 * 1048576;
  Clock::duration mem{}, tray{}, both{};
  int64_t acc = 0;
  {
    auto t0 = Clock::now();
    for (int i = 0; i < kCalls; ++i) {
      mainlogic::MemoryReadout r = mainlogic::ComputeMemoryReadout(total, Avail(i, total));
      acc += r.BarPosition + r.Megabytes;
    }
    mem = Clock::now() - t0;
  }
  {
    auto t0 = Clock::now();
    for (int i = 0; i < kCalls; ++i) acc += static_cast<int64_t>(mainlogic::TrayText(i % 101, i % 4096).size());
    tray = Clock::now() - t0;
  }
  {
    auto t0 = Clock::now();
    for (int i = 0; i < kCalls; ++i) {
      mainlogic::MemoryReadout r = mainlogic::ComputeMemoryReadout(total, Avail(i, total));
      acc += static_cast<int64_t>(mainlogic::TrayText(r.BarPosition, r.Megabytes).size());
    }
    both = Clock::now() - t0;
  }
  g_sink = acc;
  std::printf("ComputeMemoryReadout: %.1f ns per call (%d calls)\n", Nanos(mem) / kCalls, kCalls);
  std::printf("TrayText: %.1f ns per call (%d calls)\n", Nanos(tray) / kCalls, kCalls);
  std::printf("ComputeMemoryReadout + TrayText: %.1f ns per call (%d calls)\n", Nanos(both) / kCalls, kCalls);
  return 0;
}
