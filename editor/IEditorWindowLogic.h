#pragma once
// The logic of an editor window that does not depend on the platform's
// window system: the redraw timer's period, the key codes, the text-entry
// box's state machine and what becomes of the text entered, the characters
// the box accepts, and the numbering of popup-menu commands. Each platform
// window (editor/win, editor/x11) drives these with its own events and makes
// the calls they ask for; all of it runs on the editor's thread [ui].
#include <cstdint>
#include <utility>
#include <vector>

class IControl;
class IParameter;
struct IMenu;

// The redraw timer's period in milliseconds: trunc(1000 / frameRate), 40 at
// 25 frames a second, 33 at 30. A rate below 1 counts as 1 (1000 ms); the
// period is at least 1 ms.
int RedrawTimerPeriodMs(int frameRate);

// The key code (EKey) the graphics core's OnKeyDown takes for a Windows
// virtual-key code (digits and letters are their ASCII codes, as X11's key
// symbols are); 'a'..'z' count as 'A'..'Z'. -1 for any other code: the
// window passes such keys on to the host's top-level window.
int EditorKeyCode(int virtualKey);

// Whether the text-entry box lets the character through as typed: backspace
// always; for stepped parameters (types 1 to 3: bool, integer, enumerated)
// only '0'..'9', '+' and '-'; for a continuous one (type 4) also '.' and ','
// (either is taken as the decimal mark, whatever the locale);
// everything without a parameter or for other types.
bool EntryAcceptsChar(const IParameter* param, int ch);

// The plain value a committed text stands for: for bool and enumerated
// parameters the value whose display text equals the text exactly (0 when
// none does); for others the text read as a decimal number with '.' or ','
// as its mark (ParseNumber; 0 when it is not one), negated when the
// parameter is shown negated.
double EnteredPlainValue(const IParameter& param, const char* text);

// Hands a committed text to the control: with a parameter as ApplyUserValue
// of the normalised EnteredPlainValue, without one as ApplyUserText.
void ApplyEnteredText(IControl* control, IParameter* param, const char* text);

// The state of an editor's text-entry box, from opening to the timer tick
// that ends it. The window owns the box itself; this records what it edits
// and how the entry is ending.
//
// 1. Open: the window creates the box and calls Open (idle, 0).
// 2. The box takes the keyboard focus: Focused (1). While focused, the editor
//    handles no message but a left or right press, which cancels (3); it
//    neither redraws nor reacts to the mouse (EditorBlocked).
// 3. Return, or the box losing the focus: Commit (4); Escape, a cancel
//    request, or the wheel over the editor: Cancel (3). A press on the editor
//    while the box is open without the focus commits.
// 4. The next timer tick (TickStep) tells the window to read the box's text
//    and apply it (kCommit, ApplyText) or to drop it (kCancel); the window
//    then destroys the box and calls Close: idle again, nothing open.
// A redraw while the box is open without the focus (RedrawnWhileOpen, 2)
// makes the next tick skip its redraw.
class ITextEntryLogic {
public:
  enum EState : int32_t {
    kIdle = 0,      // open without the focus, or no entry at all
    kFocused = 1,   // the box has the keyboard focus
    kRedrawn = 2,   // the editor was redrawn while the box was open
    kCancel = 3,    // the next tick drops the text
    kCommit = 4,    // the next tick applies the text
  };

  // What a timer tick does.
  enum class ETick {
    kRedraw,  // the usual redraw of the dirty controls
    kSkip,    // nothing this tick
    kCommit,  // read the text, ApplyText, destroy the box, Close
    kCancel,  // destroy the box, Close
  };

  // Starts an entry for the control (and its parameter, or null). False, and
  // nothing changes, when the control is null or an entry is already open.
  bool Open(IControl* control, IParameter* param);
  // Ends the entry without applying anything (the box was destroyed or goes
  // with its window); idle, nothing open.
  void Close();

  bool IsOpen() const { return mControl != nullptr; }
  int32_t State() const { return mState; }
  IControl* Control() const { return mControl; }
  IParameter* Param() const { return mParam; }

  // Events; each does nothing while no entry is open.
  void Focused() { Set(kFocused); }
  void Commit() { Set(kCommit); }
  void Cancel() { Set(kCancel); }
  void RedrawnWhileOpen() { Set(kRedrawn); }

  // While the box holds the focus the editor handles no message itself but
  // a left or right press, which cancels.
  bool EditorBlocked() const { return IsOpen() && mState == kFocused; }

  // The first step of every redraw-timer tick. kRedraw with no entry open or
  // an open entry in state 0; a state-2 entry goes back to 0 and skips.
  ETick TickStep();
  // Applies a committed text to the entry's control (ApplyEnteredText).
  void ApplyText(const char* text) const;

private:
  void Set(int32_t state) {
    if (IsOpen()) mState = state;
  }

  IControl* mControl = nullptr;  // not owned
  IParameter* mParam = nullptr;  // not owned
  int32_t mState = kIdle;
};

// The command numbers of a popup menu and its submenus. Numbering runs from
// 0 with one counter over the menus in the order they are built: a menu
// whose first command is c first advances the counter by its item count,
// and its item k (0-based) is command c + k; a submenu is numbered when the
// item holding it is reached. Separators and submenu items take a number too;
// a submenu held by a separator is not shown and takes none.
class IMenuCommands {
public:
  explicit IMenuCommands(IMenu* root);

  // The first command of a menu of the tree, -1 for any other menu.
  int FirstCommand(const IMenu* menu) const;
  // The menu whose range holds the command, with its chosenIndex set to
  // command - its first command; null (nothing changed) when none does.
  IMenu* Choose(int command) const;

private:
  void Number(IMenu* menu, int* counter);

  std::vector<std::pair<IMenu*, int>> mFirst;  // every menu in building order
};
