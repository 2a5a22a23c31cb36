// The scrolling strip chart: on every tick of its own timer it asks its owner for one value per
// channel and redraws with the newest value at the right edge over a grid that scrolls with it.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include "framework/Classes.h"
#include "instruments/MtControls.h"
#include "instruments/MtMath.h"

class TMtTimer;
class TMtScope;

enum TMtGraphStyle { gsLine, gsBar };
const TEnumInfo& MtGraphStyleInfo();

using TMtNeedDataEvent = std::function<void(TObject* Sender, int Channel, int& Value)>;

class TMtChannel : public TCollectionItem {
  VELMORA_CLASS(TMtChannel, TCollectionItem)

 public:
  using TCollectionItem::TCollectionItem;
  TColor Color() const { return FColor; }
  void SetColor(TColor v);
  int Width() const { return FWidth; }
  void SetWidth(int v);  // below 0: ignored
  TMtGraphStyle Style() const { return FStyle; }
  void SetStyle(TMtGraphStyle v);
  void Assign(const TMtChannel& source);

  // The samples, newest first.
  const std::deque<int32_t>& History() const { return FHistory; }
  // Puts a value in front, keeping at most bufferSize values.
  void AddValue(int32_t value, int bufferSize);
  void ClearHistory() { FHistory.clear(); }

 private:
  TColor FColor = clYellow;
  int FWidth = 1;
  TMtGraphStyle FStyle = gsLine;
  std::deque<int32_t> FHistory;
};

class TMtChannels : public TCollection {
  VELMORA_CLASS(TMtChannels, TCollection)

 public:
  explicit TMtChannels(TMtScope* scope);
  TMtChannel* Items(int i) const { return static_cast<TMtChannel*>(TCollection::Items(i)); }
  TMtChannel* Add() { return static_cast<TMtChannel*>(TCollection::Add()); }
  // Copies the other collection's channels (their settings, not their samples).
  void Assign(const TMtChannels& source);
};

class TMtScope : public TMtGraphicImageControl {
  VELMORA_CLASS(TMtScope, TMtGraphicImageControl)

 public:
  explicit TMtScope(TComponent* AOwner);
  ~TMtScope() override;

  unsigned Interval() const;
  void SetInterval(unsigned v);
  bool AnimateGrid() const { return FAnimateGrid; }
  void SetAnimateGrid(bool v) { FAnimateGrid = v; }
  // The range is kept non-empty and within +-999,999,999; a new range empties the histories.
  int32_t MaxValue() const { return FMaxValue; }
  void SetMaxValue(int32_t v);
  int32_t MinValue() const { return FMinValue; }
  void SetMinValue(int32_t v);
  TMtChannels& Channels() { return *FChannels; }
  TMtChannels* ChannelsPtr() { return FChannels.get(); }
  void SetChannels(const TMtChannels& v) { FChannels->Assign(v); }
  int GridSize() const { return FGridSize; }
  void SetGridSize(int v);  // below 1: ignored
  int GridLineWidth() const { return FGridLineWidth; }
  void SetGridLineWidth(int v);  // below 0: ignored
  TColor GridColor() const { return FGridColor; }
  void SetGridColor(TColor v);
  int BaseOffset() const { return FBaseOffset; }
  void SetBaseOffset(int v);  // outside 0..100: ignored
  TColor BaseColor() const { return FBaseColor; }
  void SetBaseColor(TColor v);
  int Frequency() const { return FFrequency; }
  void SetFrequency(int v);  // below 1: ignored
  int BufferSize() const { return FBufferSize; }
  void SetBufferSize(int v) { FBufferSize = v; }
  bool Threaded() const;
  void SetThreaded(bool v);
  bool Active() const { return FActive; }
  void SetActive(bool v);
  TMtNeedDataEvent OnNeedData;

  int GridOffset() const { return FGridOffset; }
  TMtTimer& Timer() { return *FTimer; }
  // One tick: new values from OnNeedData, then a repaint (the timer calls it).
  void Tick();

 protected:
  void Paint() override;
  void Loaded() override;

 private:
  void RangeChanged();
  void ApplyActive();
  std::unique_ptr<TMtTimer> FTimer;
  std::unique_ptr<TMtChannels> FChannels;
  bool FActive = false;
  bool FAnimateGrid = true;
  int32_t FMaxValue = 100, FMinValue = 0;
  int FGridSize = 16, FGridLineWidth = 1;
  TColor FGridColor = clGreen;
  int FBaseOffset = 50;
  TColor FBaseColor = clLime;
  int FFrequency = 1;
  int FBufferSize = 999;
  int FGridOffset = 0;
  bool FPainting = false;
};
