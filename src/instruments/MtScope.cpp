#include "instruments/MtScope.h"
#include "framework/Events.h"
#include "instruments/MtThreads.h"

const TEnumInfo& MtGraphStyleInfo() {
  static const TEnumInfo e{"TMtGraphStyle", {"gsLine", "gsBar"}};
  return e;
}

VELMORA_CLASS_INFO(TMtChannel) {
  b.Int("Color", &TMtChannel::Color, &TMtChannel::SetColor, &ColorIdents());
  b.Int("Width", &TMtChannel::Width, &TMtChannel::SetWidth);
  b.Enum("Style", &TMtChannel::Style, &TMtChannel::SetStyle, MtGraphStyleInfo());
}

VELMORA_CLASS_INFO(TMtChannels) {}

VELMORA_CLASS_INFO(TMtScope) {
  b.Int("Interval", &TMtScope::Interval, &TMtScope::SetInterval);
  b.Bool("AnimateGrid", &TMtScope::AnimateGrid, &TMtScope::SetAnimateGrid);
  b.Int("MaxValue", &TMtScope::MaxValue, &TMtScope::SetMaxValue);
  b.Int("MinValue", &TMtScope::MinValue, &TMtScope::SetMinValue);
  b.Collection("Channels", &TMtScope::ChannelsPtr);
  b.Int("GridSize", &TMtScope::GridSize, &TMtScope::SetGridSize);
  b.Int("GridLineWidth", &TMtScope::GridLineWidth, &TMtScope::SetGridLineWidth);
  b.Int("GridColor", &TMtScope::GridColor, &TMtScope::SetGridColor, &ColorIdents());
  b.Int("BaseOffset", &TMtScope::BaseOffset, &TMtScope::SetBaseOffset);
  b.Int("BaseColor", &TMtScope::BaseColor, &TMtScope::SetBaseColor, &ColorIdents());
  b.Int("Frequency", &TMtScope::Frequency, &TMtScope::SetFrequency);
  b.Int("BufferSize", &TMtScope::BufferSize, &TMtScope::SetBufferSize);
  b.Bool("Threaded", &TMtScope::Threaded, &TMtScope::SetThreaded);
  b.Bool("Active", &TMtScope::Active, &TMtScope::SetActive);
  b.Event("OnNeedData", &TMtScope::OnNeedData);
  b.Creatable();
}

// ---------------------------------------------------------------- channels

void TMtChannel::SetColor(TColor v) {
  if (v == FColor) return;
  FColor = v;
  Changed();
}

void TMtChannel::SetWidth(int v) {
  if (v == FWidth || v < 0) return;
  FWidth = v;
  Changed();
}

void TMtChannel::SetStyle(TMtGraphStyle v) {
  if (v == FStyle || (v != gsLine && v != gsBar)) return;
  FStyle = v;
  Changed();
}

void TMtChannel::Assign(const TMtChannel& s) {
  FColor = s.FColor;
  FWidth = s.FWidth;
  FStyle = s.FStyle;
  Changed();
}

void TMtChannel::AddValue(int32_t value, int bufferSize) {
  FHistory.push_front(value);
  size_t keep = bufferSize > 0 ? static_cast<size_t>(bufferSize) : 0;
  while (FHistory.size() > keep) FHistory.pop_back();
}

TMtChannels::TMtChannels(TMtScope* scope)
    : TCollection(scope, [](TCollection* c) -> TCollectionItem* { return new TMtChannel(c); }) {}

void TMtChannels::Assign(const TMtChannels& source) {
  if (&source == this) return;
  Clear();
  for (int i = 0; i < source.Count(); ++i) Add()->Assign(*source.Items(i));
}

// ---------------------------------------------------------------- TMtScope

TMtScope::TMtScope(TComponent* AOwner)
    : TMtGraphicImageControl(AOwner), FTimer(std::make_unique<TMtTimer>(nullptr)),
      FChannels(std::make_unique<TMtChannels>(this)) {
  FColor = clBlack;
  FParentColor = false;
  FOpaque = true;
  FWidth = 249;
  FHeight = 137;
  FTimer->SetEnabled(false);
  FTimer->SetInterval(100);
  FTimer->OnTimer = [this](TObject*) { Tick(); };
  FChannels->OnUpdate = [this](TCollectionItem*) { UpdateControlCanvas(); };
}

TMtScope::~TMtScope() {
  // The timer first: its thread is stopped before anything it ticks goes.
  FTimer.reset();
  FChannels->OnUpdate = nullptr;
}

unsigned TMtScope::Interval() const { return FTimer->Interval(); }
void TMtScope::SetInterval(unsigned v) { FTimer->SetInterval(v); }
bool TMtScope::Threaded() const { return FTimer->TimerType() == ttThread; }
void TMtScope::SetThreaded(bool v) { FTimer->SetTimerType(v ? ttThread : ttSystem); }

void TMtScope::SetActive(bool v) {
  if (v == FActive) return;
  FActive = v;
  // The owner's description is applied whole before the first tick may ask it for data.
  if (!Loading()) ApplyActive();
}

void TMtScope::ApplyActive() { FTimer->SetEnabled(FActive); }

void TMtScope::Loaded() {
  inherited::Loaded();
  ApplyActive();
}

void TMtScope::SetMaxValue(int32_t v) {
  if (v == FMaxValue || v <= FMinValue || v > mt::kScopeValueLimit) return;
  FMaxValue = v;
  RangeChanged();
}

void TMtScope::SetMinValue(int32_t v) {
  if (v == FMinValue || v >= FMaxValue || v < -mt::kScopeValueLimit) return;
  FMinValue = v;
  RangeChanged();
}

void TMtScope::RangeChanged() {
  // Stored values may lie outside the new range.
  for (int i = 0; i < FChannels->Count(); ++i) FChannels->Items(i)->ClearHistory();
  UpdateControlCanvas();
}

void TMtScope::SetGridSize(int v) {
  if (v == FGridSize || v < 1) return;
  FGridSize = v;
  UpdateControlCanvas();
}

void TMtScope::SetGridLineWidth(int v) {
  if (v == FGridLineWidth || v < 0) return;
  FGridLineWidth = v;
  UpdateControlCanvas();
}

void TMtScope::SetGridColor(TColor v) {
  if (v == FGridColor) return;
  FGridColor = v;
  UpdateControlCanvas();
}

void TMtScope::SetBaseOffset(int v) {
  if (v == FBaseOffset || v < 0 || v > 100) return;
  FBaseOffset = v;
  UpdateControlCanvas();
}

void TMtScope::SetBaseColor(TColor v) {
  if (v == FBaseColor) return;
  FBaseColor = v;
  UpdateControlCanvas();
}

void TMtScope::SetFrequency(int v) {
  if (v == FFrequency || v < 1) return;
  FFrequency = v;
  UpdateControlCanvas();
}

void TMtScope::Tick() {
  if (FAnimateGrid) FGridOffset = mt::ScopeNextGridOffset(FGridOffset, FFrequency, FGridSize);
  // The handler may change the channels: the count is read again each time.
  for (int i = 0; i < FChannels->Count(); ++i) {
    int v = FMinValue;
    if (OnNeedData) CallGuarded(this, [&] { OnNeedData(this, i, v); });
    int32_t value = v;
    AdjustRange(value, FMinValue, FMaxValue);
    if (i < FChannels->Count()) FChannels->Items(i)->AddValue(value, FBufferSize);
  }
  if (!FPainting) UpdateControlCanvas();
}

void TMtScope::Paint() {
  struct Mark {
    bool& flag;
    explicit Mark(bool& f) : flag(f) { flag = true; }
    ~Mark() { flag = false; }
  } painting(FPainting);
  ClearBitmapCanvas();
  TCanvas& c = BitmapCanvas();
  const int w = FWidth, h = FHeight;
  const int baseY = mt::ScopeBaseLineY(h, FBaseOffset);
  // The grid.
  c.Pen().SetColor(FGridColor);
  c.Pen().SetWidth(FGridLineWidth);
  c.Pen().SetStyle(psSolid);
  c.Pen().SetMode(pmCopy);
  int offset = FGridOffset % FGridSize;
  for (int x = -offset; x <= w; x += FGridSize) {
    c.MoveTo(x, 0);
    c.LineTo(x, h);
  }
  for (int y : mt::ScopeGridRows(baseY, FGridSize, h)) {
    c.MoveTo(0, y);
    c.LineTo(w, y);
  }
  c.Pen().SetColor(FBaseColor);
  c.MoveTo(0, baseY);
  c.LineTo(w, baseY);
  // The traces, the first channel last so that it lies on top.
  for (int i = FChannels->Count() - 1; i >= 0; --i) {
    const TMtChannel& ch = *FChannels->Items(i);
    c.Pen().SetColor(ch.Color());
    c.Pen().SetWidth(ch.Width());
    int x = w + FFrequency;
    c.MoveTo(x, baseY);
    auto it = ch.History().begin(), end = ch.History().end();
    while (x > 0) {
      if (it == end) {
        c.LineTo(x - FFrequency, baseY);
        break;
      }
      int y = mt::ScopeValueToY(*it++, FMinValue, FMaxValue, h);
      c.LineTo(x - FFrequency, y);
      x -= FFrequency;
      if (ch.Style() == gsBar) c.LineTo(x - FFrequency, y);
    }
  }
  inherited::Paint();
}
