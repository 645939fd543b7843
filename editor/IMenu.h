#pragma once
#include <string>
#include <vector>

struct IMenu;

// One entry of a popup menu.
struct IMenuItem {
  enum EFlags {
    kGreyed = 1,     // shown greyed
    kDisabled = 2,
    kChecked = 4,
    kSeparator = 8,  // a separator line; the text is not shown
  };

  std::string text;
  IMenu* submenu = nullptr;  // owned, or null
  int flags = 0;

  IMenuItem(const char* itemText, int itemFlags = 0, IMenu* itemSubmenu = nullptr);
  ~IMenuItem();
  IMenuItem(const IMenuItem&) = delete;
  IMenuItem& operator=(const IMenuItem&) = delete;
};

// A popup menu, built by the caller and read by the platform's ShowPopupMenu,
// which sets chosenIndex (0-based) in the menu whose item was chosen.
struct IMenu {
  enum EPrefix {
    kNoPrefix = 0,
    kPrefix1 = 1,  // "%1d: %s" with the item's 1-based position in its menu
    kPrefix2 = 2,  // "%02d: %s"
    kPrefix3 = 3,  // "%03d: %s"
  };

  int prefix = kNoPrefix;
  int chosenIndex = -1;
  std::vector<IMenuItem*> items;  // owned

  IMenu() = default;
  ~IMenu();
  IMenu(const IMenu&) = delete;
  IMenu& operator=(const IMenu&) = delete;

  // Appends an item (owned from then on) and returns it.
  IMenuItem* AddItem(IMenuItem* item);
  IMenuItem* AddItem(const char* text, int flags = 0) { return AddItem(new IMenuItem(text, flags)); }
  int ItemCount() const { return static_cast<int>(items.size()); }
  // The item at index, or null outside the list.
  IMenuItem* GetItem(int index) const;
  // The label shown for the item at index (0-based) with the menu's prefix.
  std::string ItemLabel(int index) const;
};
