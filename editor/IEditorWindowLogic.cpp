#include "editor/IEditorWindowLogic.h"

#include <cmath>

#include "common/NumberText.h"
#include "editor/IControl.h"
#include "editor/IGraphicsTypes.h"
#include "editor/IMenu.h"
#include "framework/IParameter.h"

int RedrawTimerPeriodMs(int frameRate) {
  if (frameRate < 1) frameRate = 1;
  const int period = static_cast<int>(1000.0 / frameRate);
  return period < 1 ? 1 : period;
}

int EditorKeyCode(int virtualKey) {
  switch (virtualKey) {
    case 32: return kKeySpace;
    case 38: return kKeyUp;
    case 40: return kKeyDown;
    case 37: return kKeyLeft;
    case 39: return kKeyRight;
    default: break;
  }
  if (virtualKey >= '0' && virtualKey <= '9') return kKeyDigit0 + (virtualKey - '0');
  if (virtualKey >= 'A' && virtualKey <= 'Z') return kKeyLetterA + (virtualKey - 'A');
  if (virtualKey >= 'a' && virtualKey <= 'z') return kKeyLetterA + (virtualKey - 'a');
  return -1;
}

bool EntryAcceptsChar(const IParameter* param, int ch) {
  if (!param || ch == '\b') return true;
  const int type = param->Type();
  if (type < 1 || type > 4) return true;
  if ((ch >= '0' && ch <= '9') || ch == '+' || ch == '-') return true;
  return type == IParameter::kParamDouble && (ch == '.' || ch == ',');
}

double EnteredPlainValue(const IParameter& param, const char* text) {
  if (!text) text = "";
  const int type = param.Type();
  if (type == IParameter::kParamBool || type == IParameter::kParamEnum) {
    double value = 0.0;
    return param.MapDisplayText(text, &value) ? value : 0.0;
  }
  // The locale's decimal mark is not read: '.' and ',' both work.
  const double value = ParseNumber(text);
  return param.ShowNegated() ? -value : value;
}

void ApplyEnteredText(IControl* control, IParameter* param, const char* text) {
  if (!control) return;
  if (param) {
    control->ApplyUserValue(param->ToNormalized(EnteredPlainValue(*param, text)));
  } else {
    control->ApplyUserText(text ? text : "");
  }
}

// ---- text entry ----------------------------------------------------------------------

bool ITextEntryLogic::Open(IControl* control, IParameter* param) {
  if (!control || IsOpen()) return false;
  mControl = control;
  mParam = param;
  mState = kIdle;
  return true;
}

void ITextEntryLogic::Close() {
  mControl = nullptr;
  mParam = nullptr;
  mState = kIdle;
}

ITextEntryLogic::ETick ITextEntryLogic::TickStep() {
  if (!IsOpen()) return ETick::kRedraw;
  switch (mState) {
    case kCommit:
      return ETick::kCommit;
    case kCancel:
      return ETick::kCancel;
    case kRedrawn:
      mState = kIdle;
      return ETick::kSkip;
    case kFocused:
      return ETick::kSkip;
    default:
      return ETick::kRedraw;
  }
}

void ITextEntryLogic::ApplyText(const char* text) const { ApplyEnteredText(mControl, mParam, text); }

// ---- popup menus ---------------------------------------------------------------------

IMenuCommands::IMenuCommands(IMenu* root) {
  int counter = 0;
  if (root) Number(root, &counter);
}

void IMenuCommands::Number(IMenu* menu, int* counter) {
  mFirst.emplace_back(menu, *counter);
  *counter += menu->ItemCount();
  // A separator shows no submenu, so one it holds is not numbered.
  for (IMenuItem* item : menu->items) {
    if (item->submenu && !(item->flags & IMenuItem::kSeparator)) Number(item->submenu, counter);
  }
}

int IMenuCommands::FirstCommand(const IMenu* menu) const {
  for (const auto& entry : mFirst) {
    if (entry.first == menu) return entry.second;
  }
  return -1;
}

IMenu* IMenuCommands::Choose(int command) const {
  for (const auto& entry : mFirst) {
    IMenu* menu = entry.first;
    if (command >= entry.second && command < entry.second + menu->ItemCount()) {
      menu->chosenIndex = command - entry.second;
      return menu;
    }
  }
  return nullptr;
}
