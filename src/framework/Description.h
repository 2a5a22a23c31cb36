// Window descriptions: a text that names a window's components, their nesting and their
// property values. The reader builds the components from it through the class tables.
//
//   object MainForm: TMainForm
//     Caption = 'Velmora'
//     Font.Height = -11
//     BorderIcons = [biSystemMenu, biMinimize]
//     OnCreate = FormCreate
//     object Panel1: TPanel
//       Hint = 'first line'#13#10'second line'
//       PopupMenu = PopupMenu1
//     end
//   end
//
// Values: integers (-11, $FF), strings ('it''s', #13, joined with +), identifiers (True, enum
// values, colour names, component and handler names), sets [a, b], string lists ('a' 'b') and
// collections <item ... end>.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TComponent;

namespace desc {

struct Item;

struct Value {
  enum Kind { Int, Str, Ident, Set, List, Collection } kind = Int;
  int64_t i = 0;
  std::string s;                  // Str, Ident
  std::vector<std::string> set;   // Set
  std::vector<std::string> list;  // List
  std::vector<Item> items;        // Collection
};

struct Prop {
  std::string name;  // possibly dotted: Font.Height
  Value value;
  int line = 0;
};

struct Item {
  std::vector<Prop> props;
};

struct Object {
  std::string name, className;
  int line = 0;
  std::vector<Prop> props;
  std::vector<Object> children;
};

// Parses a description; throws Exception "<name>(<line>): <what>" on a syntax error.
Object Parse(std::string_view text, const std::string& name);

}  // namespace desc

// Builds root's components from the description text: creates them by class name in order,
// sets their properties, resolves references, binds events to root's handlers, then runs
// Loaded on root and each created component in creation order. Errors name the line.
void ReadDescription(TComponent* root, std::string_view text, const std::string& name);
