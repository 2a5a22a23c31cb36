#include "shell/FormPlacement.h"
#include <algorithm>
#include "framework/Exception.h"
#include "framework/Registry.h"
#include "shell/WindowHook.h"

using placement::Quad;

const TEnumInfo& PlacementOptionInfo() {
  static const TEnumInfo e{"TPlacementOption", {"fpState", "fpPosition", "fpActiveControl"}};
  return e;
}

const TEnumInfo& PlacementRegRootInfo() {
  static const TEnumInfo e{"TPlacementRegRoot", {"prCurrentUser", "prLocalMachine", "prCurrentConfig", "prClassesRoot", "prUsers", "prDynData"}};
  return e;
}

namespace {

// Stored text longer than this is not placement data nor a property value: treated as missing.
const DWORD kMaxStoredText = 64 * 1024;

class TRegistryStore : public TPropStore {
 public:
  TRegistryStore(HKEY root, const std::string& key, const std::string& section, bool forWrite) {
    FReg.SetRootKey(root);
    // The key is created when missing, also for a restore; the section only for a save.
    bool keyOpen = FReg.OpenKey(key, true);
    if (forWrite) {
      if (!keyOpen || !FReg.OpenKey(section, true)) throw Exception("Cannot open the registry key " + key + "\\" + section);
      FOpen = true;
    } else {
      if (!keyOpen) keyOpen = FReg.OpenKeyReadOnly(key);
      FOpen = keyOpen && FReg.OpenKeyReadOnly(section);
    }
  }

  std::optional<std::string> ReadString(const std::string& name) override {
    DWORD type = 0, size = 0;
    if (!FOpen || !FReg.GetDataInfo(name, type, size)) return std::nullopt;
    // A value of another type, or one far too long, is taken as missing.
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size > kMaxStoredText) return std::nullopt;
    try {
      return FReg.ReadString(name);
    } catch (const Exception&) {
      return std::nullopt;  // changed under our feet
    }
  }

  void WriteString(const std::string& name, const std::string& value) override { FReg.WriteString(name, value); }

 private:
  TRegistry FReg{KEY_ALL_ACCESS};
  bool FOpen = false;
};

class TIniStore : public TPropStore {
 public:
  TIniStore(std::string file, std::string section) : FFile(std::move(file)), FSection(std::move(section)) {
    // The names present, so that a missing value can be told from an empty one.
    std::vector<char> buf(kMaxStoredText);
    DWORD n = GetPrivateProfileStringA(FSection.c_str(), nullptr, "", buf.data(), static_cast<DWORD>(buf.size()), FFile.c_str());
    for (DWORD i = 0; i < n && buf[i];) {
      std::string name(&buf[i]);
      i += static_cast<DWORD>(name.size()) + 1;
      FNames.push_back(std::move(name));
    }
  }

  std::optional<std::string> ReadString(const std::string& name) override {
    if (std::none_of(FNames.begin(), FNames.end(), [&](const std::string& n) { return SameText(n, name); })) return std::nullopt;
    std::vector<char> buf(kMaxStoredText);
    DWORD n = GetPrivateProfileStringA(FSection.c_str(), name.c_str(), "", buf.data(), static_cast<DWORD>(buf.size()), FFile.c_str());
    return std::string(buf.data(), n);
  }

  void WriteString(const std::string& name, const std::string& value) override {
    if (!WritePrivateProfileStringA(FSection.c_str(), name.c_str(), value.c_str(), FFile.c_str()))
      throw Exception("Cannot write " + FFile);
  }

 private:
  std::string FFile, FSection;
  std::vector<std::string> FNames;
};

HKEY RootKey(TPlacementRegRoot r) {
  switch (r) {
    case prLocalMachine: return HKEY_LOCAL_MACHINE;
    case prCurrentConfig: return HKEY_CURRENT_CONFIG;
    case prClassesRoot: return HKEY_CLASSES_ROOT;
    case prUsers: return HKEY_USERS;
    case prDynData: return HKEY_DYN_DATA;
    default: return HKEY_CURRENT_USER;
  }
}

std::optional<int32_t> ReadInt(TPropStore& s, const std::string& name) {
  int32_t v;
  if (auto t = s.ReadString(name); t && placement::ParseInt(*t, v)) return v;
  return std::nullopt;
}

int ScreenPixelsPerInch() {
  HDC dc = GetDC(nullptr);
  int ppi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  return ppi;
}

std::string ScreenSuffix() { return placement::ScreenSuffix(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)); }

placement::Rect ToRect(const RECT& r) { return placement::Rect{r.left, r.top, r.right, r.bottom}; }

bool IsMainForm(TForm* f) { return Application && (Application->MainForm() == f || !Application->MainForm()); }

// Where a normal rectangle (in the placement's workspace coordinates) goes so that its title bar
// can be taken hold of on some screen; nothing when it lies on no screen at all.
std::optional<placement::Rect> ReachablePlace(TForm* form, const placement::Rect& r) {
  HWND h = form->Handle();
  LONG style = GetWindowLongA(h, GWL_STYLE), exStyle = GetWindowLongA(h, GWL_EXSTYLE);
  bool tool = exStyle & WS_EX_TOOLWINDOW;
  // Workspace coordinates start at the work area's corner, except for tool windows.
  RECT wa{0, 0, 0, 0};
  if (!tool) SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
  RECT wr{};
  GetWindowRect(h, &wr);
  POINT origin{0, 0};
  ClientToScreen(h, &origin);
  placement::Frame frame;
  frame.border = std::max<LONG>(0, origin.x - wr.left);
  frame.captionHeight = GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION);
  frame.iconWidth = GetSystemMetrics(tool ? SM_CXSMSIZE : SM_CXSIZE);
  if (style & WS_SYSMENU) {
    if (!tool && !(exStyle & WS_EX_DLGMODALFRAME)) frame.icon = frame.iconWidth;
    int buttons = 1 + ((style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) ? 2 : (exStyle & WS_EX_CONTEXTHELP) ? 1 : 0);
    frame.buttons = buttons * frame.iconWidth;
  }
  const int64_t lo = INT32_MIN, hi = INT32_MAX;
  int64_t left = int64_t{r.left} + wa.left, top = int64_t{r.top} + wa.top;
  int64_t right = int64_t{r.right} + wa.left, bottom = int64_t{r.bottom} + wa.top;
  if (left < lo || top < lo || right > hi || bottom > hi) return std::nullopt;
  placement::Rect screen{static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right),
                         static_cast<int32_t>(bottom)};
  auto place = placement::ReachablePlace(screen, frame, WorkAreas());
  if (!place) return std::nullopt;
  return placement::Rect{place->left - wa.left, place->top - wa.top, place->right - wa.left, place->bottom - wa.top};
}

}  // namespace

// ---------------------------------------------------------------- monitors

TMonitorApi& MonitorApi() {
  static TMonitorApi api = [] {
    TMonitorApi a;
    if (HMODULE user = GetModuleHandleA("user32.dll")) {
      a.Enum = reinterpret_cast<decltype(a.Enum)>(reinterpret_cast<void*>(GetProcAddress(user, "EnumDisplayMonitors")));
      a.GetInfo = reinterpret_cast<decltype(a.GetInfo)>(reinterpret_cast<void*>(GetProcAddress(user, "GetMonitorInfoA")));
    }
    return a;
  }();
  return api;
}

std::vector<placement::Rect> WorkAreas() {
  const TMonitorApi& api = MonitorApi();
  std::vector<placement::Rect> areas;
  if (api.Enum && api.GetInfo) {
    struct Walk {
      const TMonitorApi* api;
      std::vector<placement::Rect>* areas;
    } walk{&api, &areas};
    api.Enum(nullptr, nullptr,
             [](HANDLE monitor, HDC, RECT*, LPARAM lp) WINAPI -> BOOL {
               auto* w = reinterpret_cast<Walk*>(lp);
               struct {
                 DWORD cbSize;
                 RECT rcMonitor, rcWork;
                 DWORD dwFlags;
               } info{};
               info.cbSize = sizeof info;
               if (w->api->GetInfo(monitor, &info)) w->areas->push_back(ToRect(info.rcWork));
               return TRUE;
             },
             reinterpret_cast<LPARAM>(&walk));
    if (!areas.empty()) return areas;
  }
  RECT wa;
  if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0)) return {ToRect(wa)};
  return {placement::Rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}};
}

// ---------------------------------------------------------------- TWinMinMaxInfo

VELMORA_CLASS_INFO(TWinMinMaxInfo) {
  using M = TWinMinMaxInfo;
  b.Int("MaxPosLeft", &M::Get<M::MaxPosLeft>, &M::Set<M::MaxPosLeft>);
  b.Int("MaxPosTop", &M::Get<M::MaxPosTop>, &M::Set<M::MaxPosTop>);
  b.Int("MaxSizeHeight", &M::Get<M::MaxSizeHeight>, &M::Set<M::MaxSizeHeight>);
  b.Int("MaxSizeWidth", &M::Get<M::MaxSizeWidth>, &M::Set<M::MaxSizeWidth>);
  b.Int("MaxTrackHeight", &M::Get<M::MaxTrackHeight>, &M::Set<M::MaxTrackHeight>);
  b.Int("MaxTrackWidth", &M::Get<M::MaxTrackWidth>, &M::Set<M::MaxTrackWidth>);
  b.Int("MinTrackHeight", &M::Get<M::MinTrackHeight>, &M::Set<M::MinTrackHeight>);
  b.Int("MinTrackWidth", &M::Get<M::MinTrackWidth>, &M::Set<M::MinTrackWidth>);
}

void TWinMinMaxInfo::SetValue(int i, int v) {
  if (i < 0 || i >= 8 || FValues[i] == v) return;
  FValues[i] = v;
  if (OnChange) OnChange();
}

void TWinMinMaxInfo::Assign(const TWinMinMaxInfo& other) {
  std::copy(std::begin(other.FValues), std::end(other.FValues), FValues);
  if (OnChange) OnChange();
}

bool TWinMinMaxInfo::DefaultMinMaxInfo() const {
  return std::all_of(std::begin(FValues), std::end(FValues), [](int v) { return v == 0; });
}

// ---------------------------------------------------------------- TFormPlacement

VELMORA_CLASS_INFO(TFormPlacement) {
  b.Bool("Active", &TFormPlacement::Active, &TFormPlacement::SetActive);
  b.Str("IniFileName", &TFormPlacement::IniFileName, &TFormPlacement::SetIniFileName);
  b.Str("IniSection", &TFormPlacement::IniSection, &TFormPlacement::SetIniSection);
  b.Object("MinMaxInfo", &TFormPlacement::MinMaxInfo);
  b.Set("Options", &TFormPlacement::Options, &TFormPlacement::SetOptions, PlacementOptionInfo());
  b.Bool("PreventResize", &TFormPlacement::PreventResize, &TFormPlacement::SetPreventResize);
  b.Enum("RegistryRoot", &TFormPlacement::RegistryRoot, &TFormPlacement::SetRegistryRoot, PlacementRegRootInfo());
  b.Bool("UseRegistry", &TFormPlacement::UseRegistry, &TFormPlacement::SetUseRegistry);
  b.Int("Version", &TFormPlacement::Version, &TFormPlacement::SetVersion);
  b.Event("OnSavePlacement", &TFormPlacement::OnSavePlacement);
  b.Event("OnRestorePlacement", &TFormPlacement::OnRestorePlacement);
  b.Creatable();
}

TFormPlacement::TFormPlacement(TComponent* AOwner) : TComponent(AOwner), FHook(std::make_unique<TWindowHook>(nullptr)) {
  if (Form()) FOptions = (1u << fpState) | (1u << fpPosition);
  FMinMaxInfo.OnChange = [this] { UpdateWindowHook(); };
  FHook->AfterMessage = [this](TObject*, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { HookAfter(msg, wp, lp, result); };
}

TFormPlacement::~TFormPlacement() {
  if (FSessionHooked && Application) Application->UnhookMainWindow(this);
  FHook.reset();
  if (TForm* f = Form(); f && FChained) {
    f->OnShow = FSaveFormShow;
    f->OnCloseQuery = FSaveFormCloseQuery;
    f->OnDestroy = FSaveFormDestroy;
  }
}

TForm* TFormPlacement::Form() const { return dynamic_cast<TForm*>(Owner()); }

std::string TFormPlacement::StoreName() const {
  if (!FIniFileName.empty()) return FIniFileName;
  std::string exe = Application ? Application->ExeName() : std::string();
  std::string file = exe.substr(exe.find_last_of("\\/:") + 1);
  if (FUseRegistry) return "Software\\" + file.substr(0, file.rfind('.'));
  return exe.substr(0, exe.size() - file.size()) + file.substr(0, file.rfind('.')) + ".INI";
}

std::string TFormPlacement::SectionName() const {
  if (!FIniSection.empty()) return FIniSection;
  return Form() ? Form()->ClassName() : std::string();
}

std::unique_ptr<TPropStore> TFormPlacement::OpenStore(bool forWrite) const {
  if (FUseRegistry) return std::make_unique<TRegistryStore>(RootKey(FRegistryRoot), StoreName(), SectionName(), forWrite);
  return std::make_unique<TIniStore>(StoreName(), SectionName());
}

void TFormPlacement::Loaded() {
  TComponent::Loaded();
  TForm* f = Form();
  if (!f) return;
  FDefMaximize = (f->BorderIcons() & (1u << biMaximize)) != 0;
  if (!FChained) {
    FChained = true;
    FSaveFormShow = f->OnShow;
    FSaveFormCloseQuery = f->OnCloseQuery;
    FSaveFormDestroy = f->OnDestroy;
    f->OnShow = [this](TObject* s) { FormShow(s); };
    f->OnCloseQuery = [this](TObject* s, bool& can) { FormCloseQuery(s, can); };
    f->OnDestroy = [this](TObject* s) { FormDestroy(s); };
  }
  // The session's end is a close: the placement is saved before Windows may end the process.
  if (Application && !FSessionHooked) {
    FSessionHooked = true;
    Application->HookMainWindow(this, [this](UINT msg, WPARAM wp, LPARAM, LRESULT&) {
      if (msg == CM_SESSIONEND && wp) SessionEnds();
      return false;
    });
  }
  ApplyPreventResize();
}

void TFormPlacement::SessionEnds() {
  TForm* f = Form();
  if (!FActive || !f || !f->HandleAllocated()) return;
  try {
    SaveFormPlacement();
  } catch (const std::exception& e) {
    if (Application) Application->HandleException(this, e);
  }
}

void TFormPlacement::FormShow(TObject* Sender) {
  if (FActive && !FWasRestored) {
    try {
      RestoreFormPlacement();
    } catch (const std::exception& e) {
      if (Application) Application->HandleException(this, e);
    }
  }
  if (FSaveFormShow) FSaveFormShow(Sender);
}

void TFormPlacement::FormCloseQuery(TObject* Sender, bool& CanClose) {
  if (FSaveFormCloseQuery) FSaveFormCloseQuery(Sender, CanClose);
  TForm* f = Form();
  if (CanClose && FActive && f && f->HandleAllocated()) {
    try {
      SaveFormPlacement();
    } catch (const std::exception& e) {
      if (Application) Application->HandleException(this, e);
    }
  }
}

void TFormPlacement::FormDestroy(TObject* Sender) {
  if (FActive && !FWasSaved) {
    FSavingOnDestroy = true;
    try {
      SaveFormPlacement();
    } catch (const std::exception& e) {
      if (Application) Application->HandleException(this, e);
    }
    FSavingOnDestroy = false;
  }
  if (FSaveFormDestroy) FSaveFormDestroy(Sender);
}

void TFormPlacement::SaveFormPlacement() {
  TForm* f = Form();
  if (FActive && !FWasRestored) return;  // never shown: the stored data stays
  if (!f || !f->HandleAllocated()) return;
  auto store = OpenStore(true);
  store->WriteString("FormVersion", std::to_string(FVersion));
  WritePlacementValues(*store);
  if (FOptions & (1u << fpActiveControl)) {
    TWinControl* c = TWinControl::FromHandle(GetFocus());
    if (c && c != f && c->Owner() == f && !c->Name().empty()) store->WriteString("ActiveControl", c->Name());
  }
  store->WriteString("Visible", FSavingOnDestroy ? "1" : "0");
  SaveExtra(*store);
  if (OnSavePlacement) OnSavePlacement(this);
  FWasSaved = true;
}

void TFormPlacement::WritePlacementValues(TPropStore& store) {
  TForm* f = Form();
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  GetWindowPlacement(f->Handle(), &wp);
  // Minimised through the application (into the tray, say): start that way again.
  if (Application && Application->MainForm() == f && Application->Minimized()) wp.showCmd = SW_SHOWMINIMIZED;
  std::string suffix = ScreenSuffix();
  std::string minMax = placement::FormatQuad({wp.ptMinPosition.x, wp.ptMinPosition.y, wp.ptMaxPosition.x, wp.ptMaxPosition.y});
  std::string norm = placement::FormatQuad(
      {wp.rcNormalPosition.left, wp.rcNormalPosition.top, wp.rcNormalPosition.right, wp.rcNormalPosition.bottom});
  store.WriteString("Flags", std::to_string(wp.flags));
  store.WriteString("ShowCmd", std::to_string(wp.showCmd));
  store.WriteString("PixelsPerInch", std::to_string(ScreenPixelsPerInch()));
  store.WriteString("MinMaxPos" + suffix, minMax);
  store.WriteString("MinMaxPos", minMax);
  store.WriteString("NormPos" + suffix, norm);
  store.WriteString("NormPos", norm);
}

void TFormPlacement::RestoreFormPlacement() {
  FWasSaved = false;
  struct MarkRestored {
    TFormPlacement* self;
    ~MarkRestored() {
      self->FWasRestored = true;
      self->FRestoring = false;
    }
  } mark{this};
  FRestoring = true;
  TForm* f = Form();
  if (!f) return;
  auto store = OpenStore(false);
  if (ReadInt(*store, "FormVersion").value_or(0) >= FVersion) {
    ReadPlacementValues(*store);
    RestoreExtra(*store);
    FWasRestored = true;
    if (OnRestorePlacement) OnRestorePlacement(this);
    if (FOptions & (1u << fpActiveControl)) {
      if (auto name = store->ReadString("ActiveControl"); name && !name->empty()) {
        auto* c = dynamic_cast<TWinControl*>(f->FindComponent(*name));
        if (c && c->Visible() && c->Enabled()) c->SetFocus();
      }
    }
  }
  store.reset();
  AdjustMaxPosition();
}

void TFormPlacement::ReadPlacementValues(TPropStore& store) {
  TForm* f = Form();
  HWND h = f->Handle();
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  GetWindowPlacement(h, &wp);
  if (!IsWindowVisible(h)) wp.showCmd = SW_HIDE;
  if (FOptions & (1u << fpPosition)) {
    wp.flags = static_cast<UINT>(ReadInt(store, "Flags").value_or(static_cast<int32_t>(wp.flags)));
    std::string suffix = ScreenSuffix();
    // The value for this screen size, else the one saved last at any size.
    auto read = [&](const std::string& name) {
      auto t = store.ReadString(name + suffix);
      if (!t || t->empty()) t = store.ReadString(name);
      return t && !t->empty() ? t : std::nullopt;
    };
    bool found = false;
    if (auto t = read("MinMaxPos")) {
      Quad q = placement::ParseQuad(*t, {0, 0, 0, 0});
      wp.ptMinPosition = POINT{q[0], q[1]};
      wp.ptMaxPosition = POINT{q[2], q[3]};
      found = true;
    }
    Quad norm{f->Left(), f->Top(), f->Left() + f->Width(), f->Top() + f->Height()};
    if (auto t = read("NormPos")) {
      norm = placement::ParseQuad(*t, norm);
      found = true;
    }
    int ppi = ScreenPixelsPerInch();
    if (found && ReadInt(store, "PixelsPerInch").value_or(ppi) == ppi) {
      bool keepSize = f->BorderStyle() != bsSizeable && f->BorderStyle() != bsSizeToolWin;
      auto rect = placement::NormalRect(norm, keepSize, f->Width(), f->Height());
      // A position on no screen (another resolution, a monitor gone) is not applied: the
      // window stays where the form puts it, and is saved from there. One whose title bar
      // cannot be taken hold of is moved onto the screen.
      if (rect) rect = ReachablePlace(f, *rect);
      if (rect) {
        if (f->Position() == poScreenCenter || f->Position() == poDesktopCenter) f->SetPosition(poDesigned);
        wp.rcNormalPosition = RECT{rect->left, rect->top, rect->right, rect->bottom};
        SetWindowPlacement(h, &wp);
      }
    }
  }
  if (FOptions & (1u << fpState)) {
    // Without a stored state the form keeps its own.
    if (auto cmd = ReadInt(store, "ShowCmd")) {
      bool main = IsMainForm(f);
      using placement::State;
      State start = main && f->Position() == poDefault ? State::Maximized : State::Normal;
      State state = placement::StateFromShowCmd(*cmd, start);
      // A window its user cannot maximise is never put back maximised (over the whole screen,
      // its fixed layout stretched): it shows normally at its stored position.
      if (state == State::Maximized && !(GetWindowLongA(h, GWL_STYLE) & WS_MAXIMIZEBOX)) state = State::Normal;
      if (state == State::Minimized && main) {
        f->SetWindowState(wsNormal);
        if (Application && Application->Handle()) PostMessageA(Application->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return;
      }
      f->SetWindowState(state == State::Maximized ? wsMaximized : state == State::Minimized ? wsMinimized : wsNormal);
    }
  }
  f->Update();
}

void TFormPlacement::AdjustMaxPosition() {
  TForm* f = Form();
  if (!f || !f->HandleAllocated() || f->Loading() || FPreventResize || !FMinMaxInfo.DefaultMinMaxInfo()) return;
  HWND h = f->Handle();
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  GetWindowPlacement(h, &wp);
  if (!IsWindowVisible(h)) wp.showCmd = SW_HIDE;
  int cx = 0, cy = 0;
  switch (f->BorderStyle()) {
    case bsSingle:
    case bsToolWindow: cx = SM_CXBORDER; cy = SM_CYBORDER; break;
    case bsSizeable:
    case bsSizeToolWin: cx = SM_CXFRAME; cy = SM_CYFRAME; break;
    case bsDialog: cx = SM_CXDLGFRAME; cy = SM_CYDLGFRAME; break;
    case bsNone: break;
  }
  wp.ptMaxPosition = POINT{cx ? -GetSystemMetrics(cx) : 0, cy ? -GetSystemMetrics(cy) : 0};
  SetWindowPlacement(h, &wp);
}

void TFormPlacement::SetPreventResize(bool v) {
  if (v == FPreventResize) return;
  FPreventResize = v;
  if (!Loading()) ApplyPreventResize();
}

void TFormPlacement::ApplyPreventResize() {
  TForm* f = Form();
  if (!f || f->Loading()) return;
  TBorderIcons icons = f->BorderIcons();
  if (FPreventResize)
    icons &= ~(1u << biMaximize);
  else if (FDefMaximize && f->BorderStyle() != bsDialog)
    icons |= 1u << biMaximize;
  f->SetBorderIcons(icons);
  UpdateWindowHook();
  AdjustMaxPosition();
}

void TFormPlacement::UpdateWindowHook() {
  TForm* f = Form();
  bool want = f && !Loading() && (FPreventResize || !FMinMaxInfo.DefaultMinMaxInfo());
  FHook->SetWinControl(f);
  FHook->SetActive(want);
}

void TFormPlacement::HookAfter(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  TForm* f = Form();
  if (!f) return;
  switch (msg) {
    case WM_GETMINMAXINFO: {
      auto* mmi = reinterpret_cast<MINMAXINFO*>(lp);
      if (!mmi) return;
      if (FPreventResize) {
        if (f->HandleAllocated() && IsWindowVisible(f->Handle())) {
          RECT r;
          GetWindowRect(f->Handle(), &r);
          mmi->ptMinTrackSize = mmi->ptMaxTrackSize = POINT{r.right - r.left, r.bottom - r.top};
        }
        return;
      }
      const TWinMinMaxInfo& m = FMinMaxInfo;
      if (m.DefaultMinMaxInfo()) {
        mmi->ptMaxPosition = POINT{0, 0};
        return;
      }
      auto put = [&](LONG& field, int v) {
        if (v) field = v;
      };
      put(mmi->ptMinTrackSize.x, m.Value(TWinMinMaxInfo::MinTrackWidth));
      put(mmi->ptMinTrackSize.y, m.Value(TWinMinMaxInfo::MinTrackHeight));
      put(mmi->ptMaxTrackSize.x, m.Value(TWinMinMaxInfo::MaxTrackWidth));
      put(mmi->ptMaxTrackSize.y, m.Value(TWinMinMaxInfo::MaxTrackHeight));
      put(mmi->ptMaxSize.x, m.Value(TWinMinMaxInfo::MaxSizeWidth));
      put(mmi->ptMaxSize.y, m.Value(TWinMinMaxInfo::MaxSizeHeight));
      put(mmi->ptMaxPosition.x, m.Value(TWinMinMaxInfo::MaxPosLeft));
      put(mmi->ptMaxPosition.y, m.Value(TWinMinMaxInfo::MaxPosTop));
      return;
    }
    case WM_NCHITTEST:
      // No sizing borders.
      if (FPreventResize && result >= HTLEFT && result <= HTBOTTOMRIGHT) result = HTNOWHERE;
      return;
    case WM_INITMENUPOPUP:
      if (FPreventResize && HIWORD(lp)) {
        HMENU menu = reinterpret_cast<HMENU>(wp);
        EnableMenuItem(menu, SC_SIZE, MF_BYCOMMAND | MF_GRAYED);
        EnableMenuItem(menu, SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);
      }
      return;
  }
}

// ---------------------------------------------------------------- TFormStorage

VELMORA_CLASS_INFO(TStoredValue) {
  b.Str("Name", &TStoredValue::Name, &TStoredValue::SetName);
  b.Str("Value", &TStoredValue::Value, &TStoredValue::SetValue);
  b.Str("KeyString", &TStoredValue::KeyString, &TStoredValue::SetKeyString);
  b.Event("OnSave", &TStoredValue::OnSave);
  b.Event("OnRestore", &TStoredValue::OnRestore);
}

VELMORA_CLASS_INFO(TFormStorage) {
  b.Strings("StoredProps", &TFormStorage::StoredProps);
  b.Collection("StoredValues", &TFormStorage::StoredValues);
  b.Creatable();
}

TFormStorage::TFormStorage(TComponent* AOwner)
    : TFormPlacement(AOwner), FStoredValues(this, [](TCollection* c) { return new TStoredValue(c); }) {}

void TFormStorage::SaveExtra(TPropStore& store) {
  if (TForm* f = Form()) formprops::StoreProperties(*f, FStoredProps, store);
  for (int i = 0; i < FStoredValues.Count(); ++i) {
    auto* v = static_cast<TStoredValue*>(FStoredValues.Items(i));
    if (v->Name().empty()) continue;
    std::string value = v->Value();
    if (v->OnSave) v->OnSave(v, value);
    store.WriteString(v->Name(), value);
  }
}

void TFormStorage::RestoreExtra(TPropStore& store) {
  if (TForm* f = Form()) formprops::LoadProperties(*f, FStoredProps, store);
  for (int i = 0; i < FStoredValues.Count(); ++i) {
    auto* v = static_cast<TStoredValue*>(FStoredValues.Items(i));
    if (v->Name().empty()) continue;
    auto stored = store.ReadString(v->Name());
    if (!stored) continue;
    if (v->OnRestore) v->OnRestore(v, *stored);
    v->SetValue(*stored);
  }
}

void RegisterPlacementClasses() {
  RegisterComponentClass(TFormPlacement::StaticClassInfo());
  RegisterComponentClass(TFormStorage::StaticClassInfo());
}
