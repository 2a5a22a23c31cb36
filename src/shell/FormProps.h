// Stored properties: entries "Component.Property" of a window, kept as text values named
// "Component_Property" in the section of the window's placement. Values go through the class
// tables and the real setters, so a restored check box runs its click handler.
#pragma once
#include <optional>
#include <string>
#include <string_view>

class TComponent;
class TStrings;

// The open section of a store (a registry key or an ini-file section).
class TPropStore {
 public:
  virtual ~TPropStore() = default;
  // The text of a value; nothing when it is missing or is not text.
  virtual std::optional<std::string> ReadString(const std::string& name) = 0;
  virtual void WriteString(const std::string& name, const std::string& value) = 0;
};

namespace formprops {

// "Component.Property" gives "Component_Property"; empty when the entry is not of that form.
std::string ValueName(std::string_view entry);

// Writes each entry that names a stored kind of property (integer, Boolean, enumeration,
// string) as trimmed text; entries naming nothing are skipped.
void StoreProperties(TComponent& root, const TStrings& entries, TPropStore& store);
// Reads them back: a missing value leaves the property alone, an enumeration takes the value
// of that name (any case) or stays, an integer takes the number or 0 when it is none.
void LoadProperties(TComponent& root, const TStrings& entries, TPropStore& store);

}  // namespace formprops
