#include "framework/vst3/IVst3EditorView.h"

#include <cstring>

#include "framework/IEditor.h"
#include "framework/vst3/IEffectVST3.h"

using namespace vst3;

IVst3EditorView::IVst3EditorView(IEffectVST3* owner) : mOwner(owner) { mOwner->addRef(); }

// A host that lets the view go while attached (without removed) gets the
// editor closed all the same.
IVst3EditorView::~IVst3EditorView() {
  if (mAttached) removed();
  setFrame(nullptr);
  mOwner->release();
}

// ---- FUnknown --------------------------------------------------------------------------------

tresult PLUGIN_API IVst3EditorView::queryInterface(const TUID id, void** obj) {
  if (!obj) return kInvalidArgument;
  if (AnswerUnknown<IPlugView>(id, this, obj) || AnswerInterface<IPlugView>(id, this, obj) ||
      AnswerInterface<IPlugViewContentScaleSupport>(id, this, obj) ||
      AnswerInterface<Linux::IEventHandler>(id, this, obj) || AnswerInterface<Linux::ITimerHandler>(id, this, obj)) {
    return kResultOk;
  }
  *obj = nullptr;
  return kNoInterface;
}

uint32 PLUGIN_API IVst3EditorView::addRef() { return mRefs.Add(); }

uint32 PLUGIN_API IVst3EditorView::release() {
  const uint32 count = mRefs.Drop();
  if (count == 0) delete this;
  return count;
}

// ---- attaching ---------------------------------------------------------------------------------

tresult PLUGIN_API IVst3EditorView::isPlatformTypeSupported(FIDString type) {
  return (type && std::strcmp(type, Vst3WindowType()) == 0) ? kResultTrue : kResultFalse;
}

// 1. The editor opens its window as a child of parent.
// 2. On Linux, the run loop of the frame (else of the factory's context)
//    calls the editor's Idle from a timer, and whenever its X connection has
//    something to read.
tresult PLUGIN_API IVst3EditorView::attached(void* parent, FIDString type) {
  if (!parent || isPlatformTypeSupported(type) != kResultTrue || mAttached) return kResultFalse;
  // The editor may choose its size while it opens (for the screen's scale,
  // say) and asks the frame for it then.
  mAttached = true;
  if (!mOwner->OpenEditor(parent, this)) {
    mAttached = false;
    return kResultFalse;
  }

  void* found = nullptr;
  if (mFrame && mFrame->queryInterface(Linux::IRunLoop::iid.bytes, &found) == kResultOk && found) {
    mRunLoop = static_cast<Linux::IRunLoop*>(found);
  } else {
    mRunLoop = Vst3ContextRunLoop();
  }
  if (mRunLoop) {
    const int fd = mOwner->Editor()->EventDescriptor();
    mHandlerRegistered =
        fd >= 0 && mRunLoop->registerEventHandler(static_cast<Linux::IEventHandler*>(this), fd) == kResultOk;
    mTimerRegistered = mRunLoop->registerTimer(static_cast<Linux::ITimerHandler*>(this), kIdleIntervalMs) == kResultOk;
  }
  return kResultOk;
}

void IVst3EditorView::LeaveRunLoop() {
  if (!mRunLoop) return;
  if (mHandlerRegistered) mRunLoop->unregisterEventHandler(static_cast<Linux::IEventHandler*>(this));
  if (mTimerRegistered) mRunLoop->unregisterTimer(static_cast<Linux::ITimerHandler*>(this));
  mHandlerRegistered = mTimerRegistered = false;
  mRunLoop->release();
  mRunLoop = nullptr;
}

// The run loop lets go of the view's handlers before the window closes.
tresult PLUGIN_API IVst3EditorView::removed() {
  if (!mAttached) return kResultFalse;
  LeaveRunLoop();
  mOwner->CloseEditor(this);
  mAttached = false;
  return kResultOk;
}

tresult PLUGIN_API IVst3EditorView::setFrame(IPlugFrame* frame) {
  if (frame == mFrame) return kResultOk;
  if (frame) frame->addRef();
  if (mFrame) mFrame->release();
  mFrame = frame;
  return kResultOk;
}

void PLUGIN_API IVst3EditorView::onFDIsSet(Linux::FileDescriptor /*fd*/) {
  if (mAttached) mOwner->Editor()->Idle();
}

void PLUGIN_API IVst3EditorView::onTimer() {
  if (mAttached) mOwner->Editor()->Idle();
}

// ---- input the host passes on ------------------------------------------------------------------
// The editor's window takes its mouse and keys from the window system: a
// key the host offers here is left to the host's shortcuts.

tresult PLUGIN_API IVst3EditorView::onWheel(float /*distance*/) { return kResultFalse; }

tresult PLUGIN_API IVst3EditorView::onKeyDown(char16 /*key*/, int16 /*keyCode*/, int16 /*modifiers*/) {
  return kResultFalse;
}

tresult PLUGIN_API IVst3EditorView::onKeyUp(char16 /*key*/, int16 /*keyCode*/, int16 /*modifiers*/) {
  return kResultFalse;
}

tresult PLUGIN_API IVst3EditorView::onFocus(TBool /*state*/) { return kResultOk; }

// ---- size and scale ------------------------------------------------------------------------------
// The editor chooses its sizes (the host's content scale, the user's zoom):
// the host may not stretch it.

tresult PLUGIN_API IVst3EditorView::getSize(ViewRect* size) {
  if (!size) return kInvalidArgument;
  IEditor* editor = mOwner->Editor();
  size->left = 0;
  size->top = 0;
  size->right = mResizing ? mPendingWidth : editor->Width();
  size->bottom = mResizing ? mPendingHeight : editor->Height();
  return kResultOk;
}

// The editor's window follows its own size once the host agreed to it.
tresult PLUGIN_API IVst3EditorView::onSize(ViewRect* newSize) { return newSize ? kResultOk : kInvalidArgument; }

tresult PLUGIN_API IVst3EditorView::canResize() { return kResultFalse; }

tresult PLUGIN_API IVst3EditorView::checkSizeConstraint(ViewRect* rect) {
  if (!rect) return kInvalidArgument;
  ViewRect size;
  getSize(&size);
  rect->right = rect->left + size.right;
  rect->bottom = rect->top + size.bottom;
  return kResultOk;
}

// The editor picks its size for the scale and, when open and changing its
// size, asks through RequestSize.
tresult PLUGIN_API IVst3EditorView::setContentScaleFactor(ScaleFactor factor) {
  mOwner->Editor()->SetHostScale(static_cast<double>(factor));
  return kResultTrue;
}

bool IVst3EditorView::RequestSize(int width, int height) {
  if (!mFrame || !mAttached || mResizing || width < 1 || height < 1) return false;
  ViewRect rect = {0, 0, width, height};
  mResizing = true;
  mPendingWidth = width;
  mPendingHeight = height;
  const tresult result = mFrame->resizeView(this, &rect);
  mResizing = false;
  return result == kResultOk;
}
