#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/IControl.h"
#include "editor/IEditorWindowLogic.h"
#include "editor/IMenu.h"
#include "framework/IParameter.h"

namespace {

// A control that records the values and texts a text entry hands it.
class EntryTarget : public IControl {
public:
  EntryTarget() : IControl(nullptr, IBounds(0, 0, 10, 10), 0) {}
  bool Draw(IGraphics*) override { return true; }
  void ApplyUserValue(double value) override { values.push_back(value); }
  void ApplyUserText(const char* text) override { texts.push_back(text); }

  std::vector<double> values;
  std::vector<std::string> texts;
};

// A percentage of -100..100, like Morvane's "Attack".
struct Percent : IParameter {
  explicit Percent(bool negated = false) {
    DefineDouble("Attack", 0.0, -100.0, 100.0, 0.01, "%");
    SetShowNegated(negated);
  }
};

struct Choice : IParameter {
  Choice() {
    DefineEnum("Mode", 0, 3);
    SetDisplayText(0, "soft");
    SetDisplayText(1, "hard");
    SetDisplayText(2, "clip");
  }
};

TEST(WindowTimer, PeriodIsTruncatedMillisecondsPerFrame) {
  EXPECT_EQ(RedrawTimerPeriodMs(25), 40);
  EXPECT_EQ(RedrawTimerPeriodMs(30), 33);
  EXPECT_EQ(RedrawTimerPeriodMs(0), 1000);
  EXPECT_EQ(RedrawTimerPeriodMs(5000), 1);
}

TEST(WindowKeys, VirtualKeysMapToEditorCodes) {
  const int mapped[][2] = {{32, 0},  {38, 1},  {40, 2},  {37, 3},  {39, 4},   {'0', 5},
                           {'9', 14}, {'A', 15}, {'Z', 40}, {'a', 15}, {'z', 40}};
  for (const auto& m : mapped) EXPECT_EQ(EditorKeyCode(m[0]), m[1]) << "virtual key " << m[0];
  for (int unmapped : {13, 27, 33, 36, 41, 47, 58, 64, 91, 96, 123, 255}) {
    EXPECT_EQ(EditorKeyCode(unmapped), -1) << "virtual key " << unmapped;
  }
}

TEST(EntryCharacters, FilteredByParameterType) {
  const Percent number;
  const Choice list;
  // Either decimal mark, whatever the locale.
  for (int ch : {'0', '7', '9', '+', '-', '.', ',', '\b'}) EXPECT_TRUE(EntryAcceptsChar(&number, ch)) << ch;
  for (int ch : {'a', 'e', ' ', '\r'}) EXPECT_FALSE(EntryAcceptsChar(&number, ch)) << ch;
  EXPECT_TRUE(EntryAcceptsChar(&list, '3'));
  EXPECT_TRUE(EntryAcceptsChar(&list, '\b'));
  EXPECT_FALSE(EntryAcceptsChar(&list, '.'));
  EXPECT_FALSE(EntryAcceptsChar(&list, ','));
  EXPECT_FALSE(EntryAcceptsChar(&list, 'h'));
  for (int ch : {'a', '.', ' ', '\r'}) EXPECT_TRUE(EntryAcceptsChar(nullptr, ch)) << ch;
}

TEST(EnteredText, NumbersAndListTextsBecomeNormalisedValues) {
  EntryTarget control;
  Percent attack;
  Percent shownNegated(true);
  Choice mode;

  ApplyEnteredText(&control, &attack, "50");
  ApplyEnteredText(&control, &attack, "-250");   // limited to the range
  ApplyEnteredText(&control, &attack, "12abc");  // read as far as it is a number
  ApplyEnteredText(&control, &attack, "12,5");   // either decimal mark
  ApplyEnteredText(&control, &attack, "");       // no number: 0
  ApplyEnteredText(&control, &attack, "nan");
  ApplyEnteredText(&control, &shownNegated, "50");
  ApplyEnteredText(&control, &mode, "clip");
  ApplyEnteredText(&control, &mode, "Clip");  // exact match only: 0
  ApplyEnteredText(&control, &mode, "2");     // numbers are not list texts
  const std::vector<double> expected = {0.75, 0.0, 0.56, 0.5625, 0.5, 0.5, 0.25, 1.0, 0.0, 0.0};
  ASSERT_EQ(control.values.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_DOUBLE_EQ(control.values[i], expected[i]) << i;
  EXPECT_TRUE(control.texts.empty());
}

TEST(EnteredText, WithoutParameterTheControlReceivesTheText) {
  EntryTarget control;
  ITextEntryLogic entry;
  ASSERT_TRUE(entry.Open(&control, nullptr));
  entry.Commit();
  ASSERT_EQ(entry.TickStep(), ITextEntryLogic::ETick::kCommit);
  entry.ApplyText("Kick 2");
  EXPECT_EQ(control.texts, std::vector<std::string>{"Kick 2"});
  EXPECT_TRUE(control.values.empty());
}

TEST(TextEntryStates, FocusedEntryBlocksTheEditorUntilTheTickEndsIt) {
  EntryTarget control;
  Percent attack;
  ITextEntryLogic entry;
  ASSERT_TRUE(entry.Open(&control, &attack));
  EXPECT_FALSE(entry.Open(&control, &attack));  // one box at a time
  EXPECT_EQ(entry.State(), ITextEntryLogic::kIdle);

  entry.Focused();
  EXPECT_TRUE(entry.EditorBlocked());
  EXPECT_EQ(entry.TickStep(), ITextEntryLogic::ETick::kSkip);  // no redraw while typing

  entry.Commit();  // Return, or the focus moved elsewhere
  EXPECT_FALSE(entry.EditorBlocked());
  EXPECT_EQ(entry.TickStep(), ITextEntryLogic::ETick::kCommit);
  entry.ApplyText("-20");
  entry.Close();
  EXPECT_FALSE(entry.IsOpen());
  EXPECT_EQ(entry.State(), ITextEntryLogic::kIdle);
  EXPECT_EQ(entry.TickStep(), ITextEntryLogic::ETick::kRedraw);
  ASSERT_EQ(control.values.size(), 1u);
  EXPECT_DOUBLE_EQ(control.values[0], 0.4);

  ASSERT_TRUE(entry.Open(&control, &attack));
  entry.Focused();
  entry.Cancel();  // Escape, or a click on the editor
  EXPECT_EQ(entry.TickStep(), ITextEntryLogic::ETick::kCancel);
  entry.Close();
  EXPECT_EQ(control.values.size(), 1u);
}

TEST(TextEntryStates, RedrawWithOpenBoxSkipsOneTick) {
  EntryTarget control;
  ITextEntryLogic entry;
  ASSERT_TRUE(entry.Open(&control, nullptr));
  EXPECT_EQ(entry.TickStep(), ITextEntryLogic::ETick::kRedraw);
  entry.RedrawnWhileOpen();
  EXPECT_EQ(entry.TickStep(), ITextEntryLogic::ETick::kSkip);
  EXPECT_EQ(entry.State(), ITextEntryLogic::kIdle);
  EXPECT_EQ(entry.TickStep(), ITextEntryLogic::ETick::kRedraw);
}

TEST(TextEntryStates, EventsWithoutEntryChangeNothing) {
  ITextEntryLogic entry;
  EXPECT_FALSE(entry.Open(nullptr, nullptr));
  entry.Focused();
  entry.Commit();
  entry.Cancel();
  EXPECT_EQ(entry.State(), ITextEntryLogic::kIdle);
  EXPECT_FALSE(entry.EditorBlocked());
  EXPECT_EQ(entry.TickStep(), ITextEntryLogic::ETick::kRedraw);
}

TEST(MenuCommands, NumberedInBuildingOrderAndFoundAgain) {
  // root: a, b -> [x, y -> [deep]], ---- (holding a submenu), c
  IMenu root;
  root.AddItem("a");
  IMenu* sub = new IMenu;
  sub->AddItem("x");
  IMenu* deep = new IMenu;
  deep->AddItem("deep");
  sub->AddItem(new IMenuItem("y", 0, deep));
  root.AddItem(new IMenuItem("b", 0, sub));
  IMenu* hidden = new IMenu;
  hidden->AddItem("never shown");
  root.AddItem(new IMenuItem("", IMenuItem::kSeparator, hidden));
  root.AddItem("c");

  const IMenuCommands commands(&root);
  EXPECT_EQ(commands.FirstCommand(&root), 0);  // commands 0..3
  EXPECT_EQ(commands.FirstCommand(sub), 4);    // 4..5
  EXPECT_EQ(commands.FirstCommand(deep), 6);   // 6
  EXPECT_EQ(commands.FirstCommand(hidden), -1);

  const struct {
    int command;
    IMenu* menu;
    int index;
  } cases[] = {{0, &root, 0}, {3, &root, 3}, {4, sub, 0}, {5, sub, 1}, {6, deep, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(commands.Choose(c.command), c.menu) << c.command;
    EXPECT_EQ(c.menu->chosenIndex, c.index) << c.command;
  }
  root.chosenIndex = -1;
  EXPECT_EQ(commands.Choose(7), nullptr);
  EXPECT_EQ(commands.Choose(-1), nullptr);
  EXPECT_EQ(root.chosenIndex, -1);
}

}  // namespace
