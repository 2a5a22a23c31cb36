// Bases of the instruments: components and controls that carry the instruments' version,
// controls that draw into an off-screen bitmap of their own size and copy it out in one block,
// and the change links through which a shared component (a bitmap list) tells its users.
#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include <vector>
#include "framework/Controls.h"
#include "framework/Events.h"

// Shown by every instrument class; never stored.
inline const std::string& MtVersion() {
  static const std::string v = "3.70";
  return v;
}

// The instruments' hand pointer, registered by InitMtControls.
constexpr TCursor crMtHandPoint = 99;

// Start-up of the instruments: loads their hand pointer and registers it as cursor 99.
void InitMtControls();

class TMtComponent : public TComponent {
  VELMORA_CLASS(TMtComponent, TComponent)

 public:
  using TComponent::TComponent;
  const std::string& Version() const { return MtVersion(); }
  void SetVersion(const std::string&) {}
};

// What every instrument control adds to its framework base: the version it shows, and optional
// handlers called after the framework's own handling of the pointer entering and leaving and of
// font and caption changes.
template <class Base>
class TMtControlBase : public Base {
 public:
  using Base::Base;
  const std::string& Version() const { return MtVersion(); }
  void SetVersion(const std::string&) {}

 protected:
  void MouseEnter() override {
    Base::MouseEnter();
    DoMouseEnter();
  }
  void MouseLeave() override {
    Base::MouseLeave();
    DoMouseLeave();
  }
  void FontChanged() override {
    Base::FontChanged();
    DoFontChanged();
  }
  void TextChanged() override {
    Base::TextChanged();
    DoTextChanged();
  }
  virtual void DoMouseEnter() { Fire(FOnMouseEnter); }
  virtual void DoMouseLeave() { Fire(FOnMouseLeave); }
  virtual void DoFontChanged() { Fire(FOnFontChanged); }
  virtual void DoTextChanged() { Fire(FOnTextChanged); }
  // Optional handlers the descendants may publish.
  TNotifyEvent FOnMouseEnter, FOnMouseLeave, FOnFontChanged, FOnTextChanged;

 private:
  void Fire(const TNotifyEvent& handler) {
    if (handler) CallGuarded(this, [&] { handler(this); });
  }
};

class TMtCustomControl : public TMtControlBase<TCustomControl> {
  VELMORA_CLASS(TMtCustomControl, TCustomControl)

 public:
  using TMtControlBase::TMtControlBase;
  // Repaints at once (not while loading).
  virtual void UpdateControlCanvas();
};

class TMtGraphicControl : public TMtControlBase<TGraphicControl> {
  VELMORA_CLASS(TMtGraphicControl, TGraphicControl)

 public:
  using TMtControlBase::TMtControlBase;
  // Repaints at once (not while loading): an opaque control paints straight onto its parent's
  // window, so nothing under it is drawn first.
  virtual void UpdateControlCanvas();
  // With AutoSize on and not filling the parent, takes the preferred size (repainting only if
  // that changed nothing); otherwise repaints.
  virtual void UpdateControlBounds();
  // The same without the AutoSize test (not while loading).
  virtual void ReapplyBounds();

  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool v);
  bool Opaque() const { return FOpaque; }
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

 protected:
  void Loaded() override;
  // The size the control would like; false when it has no preference.
  virtual bool CanAutoSize(int& width, int& height) { return false; }
  // The control covers its whole rectangle: nothing under it needs painting first.
  bool FOpaque = false;

 private:
  void PaintNow();
  bool FAutoSize = false;
};

// The off-screen bitmap of an instrument that draws itself: the control's size; descendants
// draw only into it and end their paint by copying it out in one block. It is made by the first
// paint and let go while the window it shows in is hidden (each paint draws all of it).
template <class Base>
class TMtImageBase : public Base {
 public:
  using Base::Base;
  TBitmap& Bitmap() { return FBitmap; }
  TCanvas& BitmapCanvas() { return FBitmap.Canvas(); }
  void WindowHidden() override {
    Base::WindowHidden();
    FBitmap.SetSize(0, 0);
  }

 protected:
  // Fills the off-screen bitmap with Color.
  void FillBitmap() {
    if (FBitmap.Width() != this->FWidth || FBitmap.Height() != this->FHeight) FBitmap.SetSize(this->FWidth, this->FHeight);
    TCanvas& c = BitmapCanvas();
    c.Brush().SetColor(this->FColor);
    c.Brush().SetStyle(bsSolid);
    c.FillRect(RECT{0, 0, FBitmap.Width(), FBitmap.Height()});
  }
  // Copies the bitmap to the surface being painted, at (0, 0).
  void CopyBitmapOut() {
    if (!FBitmap.Empty() && this->FCanvas.Handle())
      BitBlt(this->FCanvas.Handle(), 0, 0, FBitmap.Width(), FBitmap.Height(), BitmapCanvas().Handle(), 0, 0, SRCCOPY);
  }
  void BoundsChanged() override {
    Base::BoundsChanged();
    if (!this->Loading() && !FBitmap.Empty()) FBitmap.SetSize(this->FWidth, this->FHeight);
  }

 private:
  TBitmap FBitmap;
};

class TMtCustomImageControl : public TMtImageBase<TMtCustomControl> {
  VELMORA_CLASS(TMtCustomImageControl, TMtCustomControl)

 public:
  using TMtImageBase::TMtImageBase;

 protected:
  virtual void ClearBitmapCanvas() { FillBitmap(); }
  // Descendants draw into the bitmap and end with this, which copies it to the screen.
  void Paint() override { CopyBitmapOut(); }
};

class TMtGraphicImageControl : public TMtImageBase<TMtGraphicControl> {
  VELMORA_CLASS(TMtGraphicImageControl, TMtGraphicControl)

 public:
  using TMtImageBase::TMtImageBase;
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v);
  void UpdateControlCanvas() override;
  void WindowHidden() override;

 protected:
  // Fills the off-screen bitmap with Color, or, when Transparent, with what lies under the
  // control (taken from the surface it is painted on when a new capture is due).
  virtual void ClearBitmapCanvas();
  // Descendants draw into the bitmap and end with this, which copies it out in one block.
  void Paint() override;

 private:
  TBitmap FBackground;
  bool FTransparent = false;
  bool FCaptureDue = true;
};

// A shared component's link to one of its users.
class TMtSharedComponent;
class TMtChangeLink : public TObject {
 public:
  TMtChangeLink() = default;
  ~TMtChangeLink() override;
  TMtChangeLink(const TMtChangeLink&) = delete;
  TMtChangeLink& operator=(const TMtChangeLink&) = delete;
  TMtSharedComponent* Sender() const { return FSender; }
  // Calls OnChange(Sender).
  virtual void Change();
  TNotifyEvent OnChange;

 private:
  friend class TMtSharedComponent;
  TMtSharedComponent* FSender = nullptr;
};

class TMtSharedComponent : public TMtComponent {
  VELMORA_CLASS(TMtSharedComponent, TMtComponent)

 public:
  using TMtComponent::TMtComponent;
  ~TMtSharedComponent() override;
  void InsertLink(TMtChangeLink* Link);
  void RemoveLink(TMtChangeLink* Link);
  // Tells every link, in order; a link may leave (or others) while being told.
  void NotifyClients();
  int LinkCount() const { return static_cast<int>(FLinks.size()); }

 private:
  std::vector<TMtChangeLink*> FLinks;
};
