#include "editor/win/IGraphicsWin.h"

#include <cstring>

#include "common/CopyText.h"
#include "editor/IControl.h"
#include "editor/win/WinEditorHelpers.h"

namespace {

constexpr int kEntryControlId = 0x63;
const LONG_PTR kEntryMarker = static_cast<LONG_PTR>(static_cast<ULONG_PTR>(0xDEADF00Bu));
constexpr int kEntryTextChars = 31;  // the most characters read back from the box

}  // namespace

// ---- text entry -----------------------------------------------------------------------

// 1. An EDIT box over area holding the text, aligned as the style says.
// 2. Its own font from the style, the control's character limit, the whole
//    text selected.
// 3. Subclassed, so that Return, Escape, the focus and the characters typed
//    reach the entry's state; then focused.
void IGraphicsWin::OpenTextEntry(IControl* control, const ITextStyle& style, const IBounds& area, const char* text,
                                 IParameter* param) {
  if (!control || mEntry.IsOpen() || !mWindow) return;
  DWORD styleBits = WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL;
  if (style.align == kAlignCenter) styleBits |= ES_CENTER;
  if (style.align == kAlignRight) styleBits |= ES_RIGHT;
  // The box and its font at the editor's scale.
  const IBounds pixels = ToPixels(area);
  HWND box = CreateWindowExA(0, "EDIT", text ? text : "", styleBits, pixels.left, pixels.top, pixels.W() + 1,
                             pixels.H() + 1, mWindow, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEntryControlId)),
                             Module(), nullptr);
  if (!box) return;
  mEntryWindow = box;
  mEntry.Open(control, param);

  char face[sizeof style.font];
  CopyTextBounded(face, sizeof face, style.font);
  mEntryFont = CreateFontA(editor_scale::ScaledLength(style.size, Scale()), 0, 0, 0, style.style == kTextBold ? FW_BOLD : 0, style.style == kTextItalic, 0, 0, 0, 0, 0, 0, 0,
                           face);
  SendMessageA(box, EM_LIMITTEXT, static_cast<WPARAM>(control->EntryMaxChars()), 0);
  SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(mEntryFont), 0);
  SendMessageA(box, EM_SETSEL, 0, -1);

  // Subclassed before it takes the focus, so that its WM_SETFOCUS starts the
  // entry's focused state.
  mEntryDefaultProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&IGraphicsWin::EditWindowProc)));
  SetWindowLongPtrA(box, GWLP_USERDATA, kEntryMarker);
  SetFocus(box);
}

void IGraphicsWin::CancelTextEntry() { mEntry.Cancel(); }

void IGraphicsWin::EndTextEntry() {
  if (mEntryWindow) {
    if (mEntryDefaultProc) {
      SetWindowLongPtrA(mEntryWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mEntryDefaultProc));
    }
    DestroyWindow(mEntryWindow);
  }
  if (mEntryFont) DeleteObject(mEntryFont);
  mEntryWindow = nullptr;
  mEntryDefaultProc = nullptr;
  mEntryFont = nullptr;
  mEntry.Close();
}

LRESULT CALLBACK IGraphicsWin::EditWindowProc(HWND box, UINT message, WPARAM w, LPARAM l) {
  HWND parent = GetParent(box);
  IGraphicsWin* object = win::EditorOf(parent);
  if (!object || object->mWindow != parent || object->mEntryWindow != box) {
    return DefWindowProcA(box, message, w, l);
  }
  return object->HandleEntryMessage(box, message, w, l);
}

LRESULT IGraphicsWin::HandleEntryMessage(HWND box, UINT message, WPARAM w, LPARAM l) {
  HideTooltip();
  const WNDPROC own = mEntryDefaultProc;
  switch (message) {
    case WM_SETFOCUS:
      mEntry.Focused();
      break;
    case WM_KILLFOCUS:
      mEntry.Commit();
      break;
    case WM_GETDLGCODE: {
      LRESULT code = CallWindowProcA(own, box, message, w, l);
      const MSG* queried = reinterpret_cast<const MSG*>(l);
      if (!mEntry.Param() && queried && queried->message == WM_KEYDOWN && queried->wParam == VK_RETURN) {
        code |= DLGC_WANTALLKEYS;
      }
      return code;
    }
    case WM_KEYDOWN:
      if (w == VK_RETURN) {
        mEntry.Commit();
        return 0;
      }
      if (w == VK_ESCAPE) {
        mEntry.Cancel();
        return 0;
      }
      break;
    case WM_CHAR:
      if (!EntryAcceptsChar(mEntry.Param(), static_cast<int>(w))) return 0;
      break;
    case WM_COMMAND:
      if (HIWORD(w) == 1) {
        mEntry.Commit();
        return 0;
      }
      break;
    default:
      break;
  }
  return CallWindowProcA(own, box, message, w, l);
}

bool IGraphicsWin::TickTextEntry() {
  switch (mEntry.TickStep()) {
    case ITextEntryLogic::ETick::kSkip:
      return false;
    case ITextEntryLogic::ETick::kCommit: {
      char text[kEntryTextChars + 1] = {};
      SendMessageA(mEntryWindow, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
      text[kEntryTextChars] = '\0';
      mEntry.ApplyText(text);
      EndTextEntry();
      return false;
    }
    case ITextEntryLogic::ETick::kCancel:
      EndTextEntry();
      return false;
    case ITextEntryLogic::ETick::kRedraw:
      break;
  }
  return true;
}
