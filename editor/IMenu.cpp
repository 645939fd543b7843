#include "editor/IMenu.h"

#include <cstdio>

IMenuItem::IMenuItem(const char* itemText, int itemFlags, IMenu* itemSubmenu)
    : text(itemText ? itemText : ""), submenu(itemSubmenu), flags(itemFlags) {}

IMenuItem::~IMenuItem() { delete submenu; }

IMenu::~IMenu() {
  for (auto it = items.rbegin(); it != items.rend(); ++it) delete *it;
}

IMenuItem* IMenu::AddItem(IMenuItem* item) {
  if (item) items.push_back(item);
  return item;
}

IMenuItem* IMenu::GetItem(int index) const {
  return index >= 0 && index < ItemCount() ? items[static_cast<size_t>(index)] : nullptr;
}

std::string IMenu::ItemLabel(int index) const {
  const IMenuItem* item = GetItem(index);
  if (!item) return std::string();
  static const char* const kFormats[] = {nullptr, "%1d: %s", "%02d: %s", "%03d: %s"};
  if (prefix < kPrefix1 || prefix > kPrefix3) return item->text;
  char label[512];
  std::snprintf(label, sizeof label, kFormats[prefix], index + 1, item->text.c_str());
  return label;
}
