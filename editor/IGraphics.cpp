#include "editor/IGraphics.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

#include "bitmap/Blit.h"
#include "bitmap/Font.h"
#include "bitmap/Png.h"
#include "common/CopyText.h"
#include "common/EditorScale.h"
#include "common/NumberText.h"
#include "editor/IControl.h"
#include "editor/IControls.h"
#include "editor/IMenu.h"
#include "framework/IEffectBase.h"
#include "framework/IParameter.h"
#include "framework/Lock.h"

namespace {

// The process-wide caches. Every instance of the plug-in in the process
// shares them; entries are added, never removed, and what they hold is freed
// when the library unloads.
struct BitmapCache {
  struct Entry {
    int32_t id;
    BM_ProgressiveImage* image;  // owned
  };
  ILock lock;
  std::vector<Entry> entries;

  ~BitmapCache() {
    for (Entry& e : entries) delete e.image;
  }
};

struct FontCache {
  struct Entry {
    int32_t size;
    int32_t orientation;
    int32_t style;
    char face[32];
    BM_IFont* font;  // owned
  };
  ILock lock;
  std::vector<Entry> entries;

  ~FontCache() {
    for (Entry& e : entries) delete e.font;
  }
};

BitmapCache& Bitmaps() {
  static BitmapCache cache;
  return cache;
}

FontCache& Fonts() {
  static FontCache cache;
  return cache;
}

// Creates both caches with their locks while the library loads, before any
// host thread can make an editor.
const bool kCachesReady = (Bitmaps(), Fonts(), true);

IBlend DefaultBlend() { return IBlend(); }

}  // namespace

int32_t BlendMode(const IBlend* blend) {
  if (!blend) return BM_BLEND_SOURCE_ALPHA | BM_BLEND_COPY;
  switch (blend->method) {
    case kBlendCopy:
      return BM_BLEND_COPY;
    case kBlendAdd:
      return BM_BLEND_SOURCE_ALPHA | BM_BLEND_ADD;
    case kBlendDodge:
      return BM_BLEND_SOURCE_ALPHA | BM_BLEND_DODGE;
    case kBlendDefault:
    default:
      return BM_BLEND_SOURCE_ALPHA | BM_BLEND_COPY;
  }
}

// ---- construction ---------------------------------------------------------------------

IGraphics::IGraphics(IEffectBase* plugin, int width, int height, int frameRate)
    : mPlugin(plugin), mWidth(width), mHeight(height), mFrameRate(frameRate) {
  (void)kCachesReady;
  mPendingCount = plugin ? plugin->ParamCount() : 0;
  if (mPendingCount > 0) mPending.reset(new PendingValue[static_cast<size_t>(mPendingCount)]);
}

IGraphics::~IGraphics() {
  delete mKeyFallback;
  mKeyFallback = nullptr;
  DeleteControls();
  DeleteDrawingBitmaps();
}

void IGraphics::DeleteControls() {
  while (!mControls.empty()) {
    delete mControls.back();
    mControls.pop_back();
  }
}

void IGraphics::DeleteDrawingBitmaps() {
  delete mBackBuffer;
  mBackBuffer = nullptr;
  delete mScratchBitmap;
  mScratchBitmap = nullptr;
}

IBitmapRef IGraphics::LoadImageStrip(int resourceId, const char* name, int frames, bool framesHorizontal) {
  IBitmapRef ref;
  ref.id = resourceId;
  ref.name = name;
  ref.frames = frames < 1 ? 1 : frames;
  ref.framesHorizontal = framesHorizontal;
  if (!PlatformImageSize(resourceId, name, &ref.width, &ref.height)) ref.width = ref.height = 0;
  return ref;
}

BM_IBitmap* IGraphics::CachedImage(int resourceId, const char* name, int32_t rows) {
  BitmapCache& cache = Bitmaps();
  ILockGuard guard(cache.lock);
  BM_ProgressiveImage* image = nullptr;
  for (const BitmapCache::Entry& e : cache.entries) {
    if (e.id == resourceId) {
      image = e.image;
      break;
    }
  }
  if (!image) {
    // Opened on first use, once per process; one that cannot be opened is
    // tried again next time.
    image = OpenPlatformImage(resourceId, name);
    if (!image) return nullptr;
    cache.entries.push_back({resourceId, image});
  }
  image->DecodeRows(rows);
  return image->Bitmap();
}

BM_IBitmap* IGraphics::ImageAtScale(const IBitmapRef& image, int32_t rows) {
  if (!image.Exists()) return nullptr;
  return CachedImage(image.id + kScaledImageIdStep * mScaleIndex, image.name, rows);
}

BM_ProgressiveImage* IGraphics::OpenPlatformImage(int resourceId, const char* name) {
  const void* data = nullptr;
  size_t size = 0;
  if (HasPngExtension(name) && bm::FindModuleResource(mModule, resourceId, "PNG", &data, &size) &&
      size <= INT32_MAX) {
    auto* image = new BM_ProgressiveImage(data, static_cast<int32_t>(size));
    if (image->Bitmap()) return image;
    delete image;
  }
  BM_IBitmap* whole = LoadPlatformBitmap(resourceId, name);
  return whole ? new BM_ProgressiveImage(whole) : nullptr;
}

void IGraphics::AddBackground(int resourceId, const char* name) {
  const IBitmapRef image = LoadImageStrip(resourceId, name, 1, false);
  IControl* background =
      new IBitmapControl(mPlugin, IBounds(0, 0, image.width, image.height), -1, image, IBlend(kBlendCopy, 1.0f));
  background->SetGraphics(this);
  mControls.insert(mControls.begin(), background);
}

int IGraphics::AddControl(IControl* control) {
  if (!control) return -1;
  control->SetGraphics(this);
  mControls.push_back(control);
  return ControlCount() - 1;
}

IControl* IGraphics::GetControl(int index) const {
  return index >= 0 && index < ControlCount() ? mControls[static_cast<size_t>(index)] : nullptr;
}

void IGraphics::SetKeyFallback(IControl* control) {
  if (control == mKeyFallback) return;
  delete mKeyFallback;
  mKeyFallback = control;
}

void IGraphics::MakeDrawingBitmaps() {
  DeleteDrawingBitmaps();
  mBackBuffer = new BM_SysBitmap(Width(), Height());
  mScratchBitmap = new BM_MemBitmap();
}

void IGraphics::PrepareDrawing() { MakeDrawingBitmaps(); }

BM_SysBitmap* IGraphics::BackBuffer() {
  if (!mBackBuffer) PrepareDrawing();
  return mBackBuffer;
}

BM_IBitmap* IGraphics::LoadPlatformBitmap(int resourceId, const char* name) {
  if (!HasPngExtension(name)) return nullptr;
  return LoadPngResource(mModule, resourceId);
}

bool IGraphics::PlatformImageSize(int resourceId, const char* name, int32_t* width, int32_t* height) {
  return HasPngExtension(name) && PngResourceSize(mModule, resourceId, width, height);
}

// ---- default slots ------------------------------------------------------------------------

bool IGraphics::HasWindow() { return NativeWindow() != nullptr; }
const char* IGraphics::GetDrawingApiName() { return ""; }
void* IGraphics::UnusedQuerySlot17() { return nullptr; }
void IGraphics::UnusedHookSlot19() {}
void IGraphics::UnusedHookSlot20() {}
void IGraphics::HideCursor() {}
void IGraphics::RestoreCursor() {}
void IGraphics::UnusedHookSlot27() {}
void IGraphics::Idle() {}
void IGraphics::ResizeWindowToScale() {}

// ---- scale ----------------------------------------------------------------------------------

IBounds IGraphics::ToPixels(const IBounds& r) const {
  if (mScaleIndex == 0) return r;
  const double s = Scale();
  return IBounds(editor_scale::ScaledLength(r.left, s), editor_scale::ScaledLength(r.top, s),
                 editor_scale::ScaledLength(r.right, s), editor_scale::ScaledLength(r.bottom, s));
}

int IGraphics::ToLayout(int pixel) const {
  if (mScaleIndex == 0) return pixel;
  return static_cast<int>(std::floor(pixel / Scale()));
}

void IGraphics::EnableScaling(bool on) {
  mScalingEnabled = on;
  UpdateScale();
}

int IGraphics::DesiredScaleIndex() const {
  if (!mScalingEnabled) return 0;
  if (mZoomChoice >= 0) return mZoomChoice;
  if (mHostScale > 0.0) return editor_scale::NearestIndex(mHostScale);
  if (mPlatformScale > 0.0) return editor_scale::NearestIndex(mPlatformScale);
  return 0;
}

bool IGraphics::UpdateScale(bool opening) {
  const int index = DesiredScaleIndex();
  if (index == mScaleIndex) return true;
  const double scale = editor_scale::kFactors[index];
  const int width = editor_scale::ScaledLength(mWidth, scale);
  const int height = editor_scale::ScaledLength(mHeight, scale);
  // An open window, or one the host has just made for it, needs the host's
  // consent: its window holds ours. One that cannot resize keeps the editor
  // at its size.
  if ((opening || NativeWindow()) && (!mPlugin || !mPlugin->RequestEditorSize(width, height))) return false;
  EndMouseGesture();
  mScaleIndex = index;
  DeleteDrawingBitmaps();
  MarkAllDirty();
  if (NativeWindow()) ResizeWindowToScale();
  if (mPlugin) mPlugin->ResizeEditor(Width(), Height());
  return true;
}

void IGraphics::SetPlatformScale(double scale, bool opening) {
  mPlatformScale = scale;
  if (mScalingEnabled) UpdateScale(opening);
}

void IGraphics::ChooseZoom(int index) {
  if (index < -1 || index >= editor_scale::kCount) return;
  mZoomChoice = index;
  UpdateScale();
}

void IGraphics::ShowZoomMenu(int x, int y) {
  static const char* const kLabels[editor_scale::kCount] = {"100 %", "150 %", "200 %"};
  IMenu* zoom = new IMenu;
  zoom->AddItem("Automatic", mZoomChoice < 0 ? IMenuItem::kChecked : 0);
  for (int i = 0; i < editor_scale::kCount; ++i) zoom->AddItem(kLabels[i], mZoomChoice == i ? IMenuItem::kChecked : 0);
  IMenu menu;
  menu.AddItem(new IMenuItem("Zoom", 0, zoom));
  IMenu* chosen = ShowPopupMenu(&menu, IBounds(x, y, x, y));
  if (chosen == zoom) ChooseZoom(zoom->chosenIndex - 1);
}

void IGraphics::Resize(int width, int height) {
  EndMouseGesture();
  mWidth = width;
  mHeight = height;
  ReleaseCapture();
  mHoverIndex = -1;
  DeleteControls();
  DeleteDrawingBitmaps();
  PrepareDrawing();
  if (mPlugin) mPlugin->ResizeEditor(width, height);
}

// ---- parameter binding ----------------------------------------------------------------------

void IGraphics::ParamValueChanged(int paramIdx, double normalizedValue) {
  if (paramIdx < 0 || paramIdx >= mPendingCount) return;
  PendingValue& pending = mPending[static_cast<size_t>(paramIdx)];
  pending.value.store(normalizedValue, std::memory_order_relaxed);
  pending.fresh.store(true, std::memory_order_release);
  mAnyPending.store(true, std::memory_order_release);
}

void IGraphics::SetHostScale(double scale) {
  if (!(scale > 0.0 && scale <= 8.0)) return;
  mHostScale = scale;
  UpdateScale();
}

void IGraphics::MarkAllDirty() {
  for (IControl* control : mControls) control->MarkDirty(false);
}

void IGraphics::ShowEverything() {
  ApplyPendingValues();
  MarkAllDirty();
}

void IGraphics::ApplyPendingValues() {
  // A value handed over while this runs sets the marks again and is shown
  // next time.
  if (mAnyPending.exchange(false, std::memory_order_acquire)) {
    for (int i = 0; i < mPendingCount; ++i) {
      PendingValue& pending = mPending[static_cast<size_t>(i)];
      if (pending.fresh.exchange(false, std::memory_order_acquire)) {
        ShowParamInEditor(i, pending.value.load(std::memory_order_relaxed), true);
      }
    }
  }
  for (IControl* control : mControls) control->ApplyHandedOver();
}

void IGraphics::ShowParamInEditor(int paramIdx, double value, bool normalized) {
  if (!normalized) {
    const IParameter* param = mPlugin ? mPlugin->GetParam(paramIdx) : nullptr;
    if (!param) return;
    value = param->ToNormalized(value);
  }
  ApplyParamToControls(paramIdx, value);
}

void IGraphics::ApplyParamToControls(int paramIdx, double normalizedValue) {
  for (IControl* control : mControls) {
    if (control->ParamIdx() == paramIdx) control->ApplyPluginValue(normalizedValue);
    for (int j = 0; j < control->AuxBindingCount(); ++j) {
      if (control->GetAuxBinding(j)->paramIdx == paramIdx) {
        control->ApplyPluginAuxValue(j, normalizedValue);
        break;
      }
    }
  }
}

void IGraphics::OpenValueEntry(IControl* control, IParameter* param, const IBounds& area) {
  if (!control || !param || !mPlugin) return;
  double value;
  {
    // The host's threads change the value under the instance lock.
    ILockGuard guard(mPlugin->Lock());
    value = param->Value();
  }
  const int type = param->Type();
  if (type == IParameter::kParamEnum || (type == IParameter::kParamBool && param->NDisplayTexts() > 0)) {
    char current[IParameter::kTextSize];
    param->FormatForHost(value, false, current, sizeof current, true);
    IMenu menu;
    for (int i = 0; i < param->NDisplayTexts(); ++i) {
      const char* text = param->DisplayTextForValue(i);
      if (!text) text = "";
      menu.AddItem(text, std::strcmp(text, current) == 0 ? IMenuItem::kChecked : 0);
    }
    if (IMenu* chosen = ShowPopupMenu(&menu, area)) {
      control->ApplyUserValue(param->ToNormalized(static_cast<double>(chosen->chosenIndex)));
    }
    return;
  }

  if (param->ShowNegated()) value = -value;
  char text[64];
  if (param->Precision() > 0) {
    FormatFixed(value, param->Precision(), text, sizeof text);
  } else {
    // Truncated toward zero; values beyond the int range (never those of a
    // parameter within its range) are held at its ends.
    const double t = std::trunc(value);
    const int whole = t >= 2147483647.0 ? 2147483647 : (t <= -2147483648.0 || !(t == t)) ? 0 : static_cast<int>(t);
    std::snprintf(text, sizeof text, "%d", whole);
  }
  OpenTextEntry(control, control->GetTextStyle(), area, text, param);
}

// ---- drawing ------------------------------------------------------------------------------

bool IGraphics::CollectDirtyArea(IBounds* area) const {
  *area = IBounds();
  bool dirty = false;
  for (const IControl* control : mControls) {
    if (control->NeedsDraw()) {
      *area = Union(*area, ToPixels(control->GetBounds()));
      dirty = true;
    }
  }
  return dirty;
}

bool IGraphics::Draw(const IBounds& area) {
  if (mControls.empty()) return true;
  const int n = ControlCount();
  if (!BackBuffer()) return false;
  if (mStrictRedraw) {
    mDrawArea = area;
    for (IControl* control : mControls) {
      if (!control->IsHidden() && Intersects(area, ToPixels(control->GetBounds()))) control->Draw(this);
    }
    for (IControl* control : mControls) control->MarkDrawn();
  } else if (mControls[0]->NeedsDraw()) {
    mDrawArea = ToPixels(mControls[0]->GetBounds());
    for (int i = 0; i < n; ++i) {
      IControl* control = mControls[static_cast<size_t>(i)];
      if (i > 0 && control->IsHidden()) continue;
      control->Draw(this);
      control->MarkDrawn();
    }
  } else {
    for (int i = 1; i < n; ++i) {
      IControl* dirty = mControls[static_cast<size_t>(i)];
      if (!dirty->NeedsDraw()) continue;
      mDrawArea = ToPixels(dirty->GetBounds());
      for (int j = 0; j < n; ++j) {
        IControl* control = mControls[static_cast<size_t>(j)];
        if (control->IsHidden()) continue;
        if (j == i || (!control->GetBounds().Empty() && Intersects(ToPixels(control->GetBounds()), mDrawArea))) {
          control->Draw(this);
        }
      }
      dirty->MarkDrawn();
    }
  }
  return PresentArea(area);
}

bool IGraphics::BlitImage(const IBitmapRef& image, const IBounds& dest, int srcX, int srcY, const IBlend* blend) {
  const IBounds pixels = ToPixels(dest);
  const int x = editor_scale::ScaledLength(srcX, Scale());
  const int y = editor_scale::ScaledLength(srcY, Scale());
  return BlitPixels(ImageAtScale(image, y + pixels.H()), pixels, x, y, blend);
}

bool IGraphics::BlitPixels(BM_IBitmap* bitmap, const IBounds& dest, int srcX, int srcY, const IBlend* blend) {
  if (!bitmap || !mBackBuffer) return true;
  const IBounds clip = Intersection(dest, mDrawArea);
  const int32_t src[4] = {srcX + clip.left - dest.left, srcY + clip.top - dest.top, srcX + clip.right - dest.left,
                          srcY + clip.bottom - dest.top};
  const IBlend weight = blend ? *blend : DefaultBlend();
  BM_BlitRect(mBackBuffer, bitmap, clip.left, clip.top, src, weight.weight, BlendMode(blend));
  return true;
}

namespace {

// Where frame (1-based) of a strip of the given size and frame count starts.
void FramePosition(int32_t width, int32_t height, int frames, bool framesHorizontal, int frame, int* srcX,
                   int* srcY) {
  *srcX = 0;
  *srcY = 0;
  if (frames < 2 || frame < 2) return;
  if (framesHorizontal) {
    *srcX = static_cast<int>(static_cast<double>(width) * (frame - 1) / frames + 0.5);
  } else {
    *srcY = static_cast<int>(static_cast<double>(height) * (frame - 1) / frames + 0.5);
  }
}

}  // namespace

// Frames are found in the image drawn for the scale, whose strip the frames
// divide as the 100 % one's.
bool IGraphics::BlitFrame(const IBitmapRef& image, const IBounds& dest, int frame, const IBlend* blend) {
  // The strip's size is known before its rows are decoded: only the rows
  // down to the frame's end are asked for.
  BM_IBitmap* bitmap = ImageAtScale(image, 0);
  if (!bitmap) return true;
  int srcX, srcY;
  FramePosition(bitmap->GetWidth(), bitmap->GetHeight(), image.frames, image.framesHorizontal, frame, &srcX, &srcY);
  const IBounds pixels = ToPixels(dest);
  return BlitPixels(ImageAtScale(image, srcY + pixels.H()), pixels, srcX, srcY, blend);
}

void IGraphics::DrawGlyphText(const IBitmapRef& font, const IBounds& area, const ITextStyle& style,
                              const IBlend* blend, const char* text, bool vCenter, bool multiLine, int charWidth,
                              int charHeight, int charSpacing) {
  if (!text || !text[0] || charWidth <= 0 || charHeight <= 0) return;
  const int64_t n = static_cast<int64_t>(std::strlen(text));
  const int64_t w = charWidth;
  const int64_t h = charHeight;
  const int64_t areaWidth = static_cast<int64_t>(area.right) - area.left;
  if (areaWidth <= 0) return;

  int64_t y = area.top;
  if (vCenter) y = area.top + (static_cast<int64_t>(area.bottom) - area.top - h) / 2;

  // The total width counts the cells, not the spacing between them.
  const int64_t total = n * w;
  int64_t x0 = area.left;
  if (style.align == kAlignCenter) {
    x0 = area.left + (static_cast<int64_t>(area.right) - total - area.left) / 2;
  } else if (style.align == kAlignRight) {
    x0 = area.right - total;
  }

  int64_t perLine = n;
  int64_t lines = 1;
  if (!multiLine) {
    perLine = areaWidth / w;
  } else if (total > areaWidth) {
    perLine = areaWidth / w;
    lines = total / areaWidth + 1;
  }
  // A text longer than its area stops at the area's last line (the first line
  // is drawn whatever the area's height).
  int64_t fitting = (static_cast<int64_t>(area.bottom) - y) / h;
  if (fitting < 1) fitting = 1;
  if (lines > fitting) lines = fitting;

  BM_IBitmap* glyphs = ImageAtScale(font);
  if (!glyphs) return;
  const char* next = text;
  for (int64_t line = 0; line < lines; ++line, y += h) {
    for (int64_t k = 0; k < perLine; ++k) {
      const signed char c = static_cast<signed char>(*next);
      if (c == 0) return;
      ++next;
      const int64_t left = x0 + k * (w + charSpacing);
      if (left < INT32_MIN || left + w > INT32_MAX || y < INT32_MIN || y + h > INT32_MAX) continue;
      const int frame = c - 31;  // space is frame 1; codes below 32 and above 127 show it too
      if (frame > font.frames) continue;  // beyond the strip: nothing to show
      int srcX, srcY;
      FramePosition(glyphs->GetWidth(), glyphs->GetHeight(), font.frames, font.framesHorizontal, frame, &srcX,
                    &srcY);
      const IBounds cell(static_cast<int32_t>(left), static_cast<int32_t>(y), static_cast<int32_t>(left + w),
                         static_cast<int32_t>(y + h));
      BlitPixels(glyphs, ToPixels(cell), srcX, srcY, blend);
    }
  }
}

BM_IFont* IGraphics::FindOrMakeFont(const ITextStyle& style) {
  char face[32];
  CopyTextZeroFilled(face, sizeof face, style.font);
  FontCache& cache = Fonts();
  ILockGuard guard(cache.lock);
  for (const FontCache::Entry& e : cache.entries) {
    if (e.size == style.size && e.orientation == style.orientation && e.style == style.style &&
        std::strcmp(e.face, face) == 0) {
      return e.font;
    }
  }
  BM_FontSpec request;
  std::memcpy(request.face, face, sizeof request.face);
  request.height = style.size;
  request.weight = style.style == kTextBold ? 700 : 400;
  request.italic = style.style == kTextItalic;
  request.escapement = style.orientation * 10;
  static const int32_t kQuality[] = {0, 3, 4, 5};  // default, not antialiased, antialiased, ClearType
  request.quality = style.quality >= kQualityDefault && style.quality <= kQualityClearType ? kQuality[style.quality] : 0;
  BM_IFont* font = BM_MakeCachedFont(request);
  if (!font) return nullptr;
  FontCache::Entry entry;
  entry.size = style.size;
  entry.orientation = style.orientation;
  entry.style = style.style;
  std::memcpy(entry.face, face, sizeof entry.face);
  entry.font = font;
  cache.entries.push_back(entry);
  return font;
}

namespace {

uint32_t SystemTextFlags(const ITextStyle& style) {
  uint32_t flags = BM_DT_NOCLIP;
  if ((style.color.alpha & 0xFF) != 255) flags |= TEXT_USE_FORE_ALPHA;
  if (style.align == kAlignCenter) flags |= BM_DT_CENTER;
  if (style.align == kAlignRight) flags |= BM_DT_RIGHT;
  return flags;
}

}  // namespace

bool IGraphics::DrawSystemText(ITextStyle* style, const char* text, const IBounds& area) {
  if (!text || !text[0]) return true;
  if (!style) return false;
  BM_IFont* font = style->cachedFont ? style->cachedFont : FindOrMakeFont(*style);
  if (!font) return false;
  style->cachedFont = font;
  font->SetForeColor(style->color.ToColor32());
  int32_t rect[4] = {area.left, area.top, area.right, area.bottom};
  font->DrawString(mBackBuffer, text, -1, rect, SystemTextFlags(*style));
  return true;
}

bool IGraphics::MeasureSystemText(ITextStyle* style, const char* text, IBounds* area) {
  if (!text || !text[0]) return true;
  if (!style || !area) return false;
  BM_IFont* font = style->cachedFont ? style->cachedFont : FindOrMakeFont(*style);
  if (!font) return false;
  style->cachedFont = font;
  font->SetForeColor(style->color.ToColor32());
  int32_t rect[4] = {0, 0, 0, 0};
  font->DrawString(mBackBuffer, text, -1, rect, SystemTextFlags(*style) | BM_DT_CALCRECT);
  const int32_t w = rect[2] - rect[0];
  const int32_t h = rect[3] - rect[1];
  if (style->align == kAlignCenter) {
    // The centre in single precision, then half the width halved toward zero.
    area->left = static_cast<int32_t>(static_cast<float>(area->left + area->right) * 0.5f) - w / 2;
    area->right = area->left + w;
  } else if (style->align == kAlignRight) {
    area->left = area->right - w;
  } else {
    area->right = area->left + w;
  }
  area->bottom = area->top + h;
  return true;
}

// ---- mouse and keys -------------------------------------------------------------------------

int IGraphics::FindControl(int x, int y, bool forMouseOver) const {
  for (int i = ControlCount() - 1; i >= 0; --i) {
    IControl* control = mControls[static_cast<size_t>(i)];
    if (control->IsHidden()) continue;
    if (control->IsGreyed() && !(forMouseOver && control->HoversWhenGreyed())) continue;
    if (control->HitTest(x, y)) return i;
  }
  return -1;
}

void IGraphics::ReleaseCapture() {
  mCapturedIndex = -1;
  mLastDragX = -1;
  mLastDragY = -1;
}

void IGraphics::BeginGesture(int paramIdx) {
  EndGesture();
  if (!mPlugin || paramIdx < 0) return;
  mPlugin->BeginHostEdit(paramIdx);
  mGestureParam = paramIdx;
}

bool IGraphics::ResumeGestureAfterMenu(int control, bool buttonHeld) {
  if (GestureParam() < 0) return false;
  if (buttonHeld) {
    mCapturedIndex = control;
    return true;
  }
  mEndGestureAfterPress = true;
  return false;
}

void IGraphics::EndGesture() {
  const int paramIdx = mGestureParam;
  mGestureParam = -1;
  mEndGestureAfterPress = false;
  if (mPlugin && paramIdx >= 0) mPlugin->EndHostEdit(paramIdx);
}

void IGraphics::EndMouseGesture() {
  if (mDetached) {
    // Being destroyed: the controls and the plug-in hear nothing more.
    ReleaseCapture();
    mGestureParam = -1;
    return;
  }
  if (mCapturedIndex >= 0) {
    ReleaseGesture(mLastDragX, mLastDragY, IModifiers());
  } else {
    EndGesture();
  }
}

void IGraphics::OnMouseDown(int x, int y, const IModifiers& mods) {
  x = ToLayout(x);
  y = ToLayout(y);
  ReleaseCapture();
  // A gesture still under way ends before another can begin.
  EndGesture();
  const int index = FindControl(x, y);
  if (index < 0) return;
  IControl* control = mControls[static_cast<size_t>(index)];
  mCapturedIndex = index;
  mLastDragX = x;
  mLastDragY = y;
  const int paramIdx = control->ParamIdx();
  // Hosts of plug-in interface 1 show their own menu for a parameter's control.
  if (mPlugin && mPlugin->GetPluginApi() == 1 && mods.right && paramIdx >= 0) {
    ReleaseCapture();
    mPlugin->ShowHostParamMenu(paramIdx, x, y);
    return;
  }
  // A right click on the background offers the editor's sizes.
  if (index == 0 && mods.right && mScalingEnabled) {
    ReleaseCapture();
    ShowZoomMenu(x, y);
    return;
  }
  BeginGesture(paramIdx);
  control->OnMouseDown(x, y, mods);
  if (mEndGestureAfterPress) EndGesture();
}

void IGraphics::OnMouseUp(int x, int y, const IModifiers& mods) { ReleaseGesture(ToLayout(x), ToLayout(y), mods); }

void IGraphics::ReleaseGesture(int x, int y, const IModifiers& mods) {
  const int index = mCapturedIndex >= 0 ? mCapturedIndex : FindControl(x, y);
  ReleaseCapture();
  if (IControl* control = GetControl(index)) control->OnMouseUp(x, y, mods);
  EndGesture();
}

bool IGraphics::OnDoubleClick(int x, int y, const IModifiers& mods) {
  x = ToLayout(x);
  y = ToLayout(y);
  ReleaseCapture();
  EndGesture();
  const int index = FindControl(x, y);
  if (index < 0) return false;
  IControl* control = mControls[static_cast<size_t>(index)];
  if (!control->DoubleClickAsPress()) {
    BeginGesture(control->ParamIdx());
    control->OnDoubleClick(x, y, mods);
    EndGesture();
    return false;
  }
  mCapturedIndex = index;
  mLastDragX = x;
  mLastDragY = y;
  BeginGesture(control->ParamIdx());
  control->OnMouseDown(x, y, mods);
  if (mEndGestureAfterPress) EndGesture();
  return true;
}

void IGraphics::OnMouseWheel(int x, int y, const IModifiers& mods, int steps) {
  x = ToLayout(x);
  y = ToLayout(y);
  IControl* control = GetControl(mCapturedIndex >= 0 ? mCapturedIndex : FindControl(x, y));
  if (control) control->OnMouseWheel(x, y, mods, steps);
}

bool IGraphics::OnMouseOver(int x, int y, const IModifiers& mods) {
  if (!mTrackHover) return false;
  x = ToLayout(x);
  y = ToLayout(y);
  const int index = mCapturedIndex >= 0 ? mCapturedIndex : FindControl(x, y, true);
  IControl* control = GetControl(index);
  if (!control) return true;
  mLastDragX = x;
  mLastDragY = y;
  control->OnMouseOver(x, y, mods);
  if (mHoverIndex >= 0 && mHoverIndex != index) {
    if (IControl* previous = GetControl(mHoverIndex)) previous->OnMouseOut();
  }
  mHoverIndex = index;
  return true;
}

void IGraphics::OnMouseOut() {
  for (IControl* control : mControls) control->OnMouseOut();
  mHoverIndex = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key) {
  x = ToLayout(x);
  y = ToLayout(y);
  const int index = mCapturedIndex >= 0 ? mCapturedIndex : FindControl(x, y);
  IControl* control = GetControl(index);
  if (!control || index == 0) return mKeyFallback ? mKeyFallback->OnKeyDown(x, y, key) : false;
  return control->OnKeyDown(x, y, key);
}

bool IGraphics::OnMouseDrag(int x, int y, const IModifiers& mods) {
  x = ToLayout(x);
  y = ToLayout(y);
  IControl* control = GetControl(mCapturedIndex);
  if (!control || (x == mLastDragX && y == mLastDragY)) return false;
  const int dX = x - mLastDragX;
  const int dY = y - mLastDragY;
  mLastDragX = x;
  mLastDragY = y;
  control->OnMouseDrag(x, y, dX, dY, mods);
  return true;
}
