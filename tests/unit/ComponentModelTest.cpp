// The component model and the description reader: what every window is built on.
#include <gtest/gtest.h>
#include "framework/Classes.h"
#include "framework/Description.h"
#include "framework/Events.h"
#include "framework/Exception.h"
#include "framework/Strings.h"

namespace {

std::vector<std::string>* g_log = nullptr;
void Log(const std::string& s) {
  if (g_log) g_log->push_back(s);
}

enum TShape { shNone, shRound, shSquare };
const TEnumInfo& ShapeInfo() {
  static const TEnumInfo e{"TShape", {"shNone", "shRound", "shSquare"}};
  return e;
}

class TSub : public TPersistent {
  VELMORA_CLASS(TSub, TPersistent)
 public:
  int V() const { return FV; }
  void SetV(int v) {
    if (v == FV) return;
    FV = v;
    ++Applied;
  }
  int Applied = 0;

 private:
  int FV = 0;
};
VELMORA_CLASS_INFO(TSub) { b.Int("V", &TSub::V, &TSub::SetV); }

class TItem : public TCollectionItem {
  VELMORA_CLASS(TItem, TCollectionItem)
 public:
  using TCollectionItem::TCollectionItem;
  int Value() const { return FValue; }
  void SetValue(int v) { FValue = v; }

 private:
  int FValue = 0;
};
VELMORA_CLASS_INFO(TItem) { b.Int("Value", &TItem::Value, &TItem::SetValue); }

class TThing : public TComponent {
  VELMORA_CLASS(TThing, TComponent)
 public:
  explicit TThing(TComponent* o)
      : TComponent(o), FItems(this, [](TCollection* c) { return new TItem(c); }) {}
  ~TThing() override { Log("free " + Name()); }

  int Count() const { return FCount; }
  void SetCount(int v) {
    if (v == FCount) return;
    FCount = v;
    if (!Loading()) ++Applied;  // applying waits while loading
  }
  bool Flag() const { return FFlag; }
  void SetFlag(bool v) { FFlag = v; }
  TShape Shape() const { return FShape; }
  void SetShape(TShape v) { FShape = v; }
  uint32_t Shapes() const { return FShapes; }
  void SetShapes(uint32_t v) { FShapes = v; }
  const std::string& Text() const { return FText; }
  void SetText(const std::string& v) { FText = v; }
  TThing* Buddy() const { return FBuddy; }
  void SetBuddy(TThing* v) {
    FBuddy = v;
    if (v) v->FreeNotification(this);
  }
  TSub* Sub() { return &FSub; }
  TStringList* Lines() { return &FLines; }
  TCollection* Items() { return &FItems; }
  void Loaded() override {
    TComponent::Loaded();
    Log("loaded " + Name() + (FBuddy ? " buddy=" + FBuddy->Name() : ""));
  }
  TNotifyEvent OnPing;
  std::function<void(TObject*, int)> OnValue;
  int Applied = 0;

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == TOperation::opRemove && c == FBuddy) FBuddy = nullptr;
  }

 private:
  int FCount = 0;
  bool FFlag = false;
  TShape FShape = shNone;
  uint32_t FShapes = 0;
  std::string FText;
  TThing* FBuddy = nullptr;
  TSub FSub;
  TStringList FLines;
  TCollection FItems;
};
VELMORA_CLASS_INFO(TThing) {
  b.Int("Count", &TThing::Count, &TThing::SetCount);
  b.Bool("Flag", &TThing::Flag, &TThing::SetFlag);
  b.Enum("Shape", &TThing::Shape, &TThing::SetShape, ShapeInfo());
  b.Set("Shapes", &TThing::Shapes, &TThing::SetShapes, ShapeInfo());
  b.Str("Text", &TThing::Text, &TThing::SetText);
  b.Ref<TThing>("Buddy", &TThing::Buddy, &TThing::SetBuddy);
  b.Object("Sub", &TThing::Sub);
  b.Strings("Lines", &TThing::Lines);
  b.Collection("Items", &TThing::Items);
  b.Event("OnPing", &TThing::OnPing);
  b.Event("OnValue", &TThing::OnValue);
  b.Creatable();
}

class TRoot : public TThing {
  VELMORA_CLASS(TRoot, TThing)
 public:
  explicit TRoot(TComponent* o, bool bindSecond = true) : TThing(o) {
    RegisterHandler("Ping", TNotifyEvent([this](TObject* s) { Pinged = s; }));
    RegisterHandler("Value", std::function<void(TObject*, int)>([](TObject*, int) {}));
    if (bindSecond) BindField("Second", Second);
  }
  TObject* Pinged = nullptr;
  TThing* Second = nullptr;
};
VELMORA_CLASS_INFO(TRoot) {}

// A class whose first base is not the one the tables know: its accessors must reach the right
// object through the member pointers' adjustment.
struct TTally {
  int Seen[3] = {7, 8, 9};
};
class TTwoBases : public TTally, public TPersistent {
  VELMORA_CLASS(TTwoBases, TPersistent)
 public:
  int Level() const { return FLevel + Seen[0] - 7; }
  void SetLevel(int v) { FLevel = v; }
  const std::string& Label() const { return FLabel; }
  void SetLabel(const std::string& v) { FLabel = v; }
  TNotifyEvent OnPoke;

 private:
  int FLevel = 0;
  std::string FLabel;
};
VELMORA_CLASS_INFO(TTwoBases) {
  b.Int("Level", &TTwoBases::Level, &TTwoBases::SetLevel);
  b.Str("Label", &TTwoBases::Label, &TTwoBases::SetLabel);
  b.Event("OnPoke", &TTwoBases::OnPoke);
}

struct Registered {
  Registered() { RegisterComponentClass(TThing::StaticClassInfo()); }
} registered;

const char* kGood = R"(object Root: TRoot
  Count = 3
  Text = 'two'#13#10'lines, it''s' +
    ' joined'
  object First: TThing
    Buddy = Second
    Flag = True
    Shape = shSquare
    Shapes = [shRound, shSquare]
    Count = $10
    Sub.V = -7
    Lines.Strings = (
      'a'
      'b=c')
    Items = <
      item
        Value = 1
      end
      item
        Value = 2
      end>
    OnPing = Ping
    object Inner: TThing
    end
  end
  object Second: TThing
    OnValue = Value
  end
end
)";

class ComponentModel : public ::testing::Test {
 protected:
  void SetUp() override { g_log = &log; }
  void TearDown() override { g_log = nullptr; }
  std::vector<std::string> log;
};

std::string ReadError(const char* text, bool bindSecond = false) {
  TRoot root(nullptr, bindSecond);
  try {
    ReadDescription(&root, text, "Test");
  } catch (const Exception& e) {
    return e.Message();
  }
  return "no error";
}

}  // namespace

TEST_F(ComponentModel, ReaderBuildsComponentsSetsValuesAndBindsByName) {
  TRoot root(nullptr);
  ReadDescription(&root, kGood, "Test");
  EXPECT_EQ(root.Name(), "Root");
  EXPECT_EQ(root.Text(), "two\r\nlines, it's joined");
  ASSERT_EQ(root.ComponentCount(), 3);
  auto* first = static_cast<TThing*>(root.FindComponent("first"));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Owner(), &root);
  EXPECT_TRUE(first->Flag());
  EXPECT_EQ(first->Shape(), shSquare);
  EXPECT_EQ(first->Shapes(), (1u << shRound) | (1u << shSquare));
  EXPECT_EQ(first->Count(), 16);
  EXPECT_EQ(first->Sub()->V(), -7);
  EXPECT_EQ(first->Lines()->Count(), 2);
  EXPECT_EQ(first->Lines()->Values("b"), "c");
  ASSERT_EQ(first->Items()->Count(), 2);
  EXPECT_EQ(static_cast<TItem*>(first->Items()->Items(1))->Value(), 2);
  EXPECT_EQ(first->Buddy(), root.FindComponent("Second"));
  EXPECT_EQ(root.Second, root.FindComponent("Second"));
  ASSERT_TRUE(first->OnPing);
  first->OnPing(first);
  EXPECT_EQ(root.Pinged, first);
  // Applying waits while loading: the setter stored the value but did not apply it.
  EXPECT_EQ(first->Applied, 0);
  // Loaded runs on the root, then on each component in creation order, with references set.
  EXPECT_EQ(log, (std::vector<std::string>{"loaded Root", "loaded First buddy=Second", "loaded Inner", "loaded Second"}));
  EXPECT_FALSE(first->Loading());
}

TEST_F(ComponentModel, DescriptionErrorsNameTheLine) {
  EXPECT_EQ(ReadError("object Root: TRoot\n  object X: TNoSuch\n  end\nend"), "Test(2): unknown class TNoSuch");
  EXPECT_EQ(ReadError("object Root: TRoot\n\n  Colour = 3\nend"), "Test(3): unknown property Colour of TRoot");
  EXPECT_EQ(ReadError("object Root: TRoot\n  Shape = shOval\nend"), "Test(2): Invalid property value 'shOval' for Shape");
  EXPECT_EQ(ReadError("object Root: TRoot\n  Count = 'x'\nend"), "Test(2): invalid value for Count");
  EXPECT_EQ(ReadError("object Root: TRoot\n  Buddy = Nobody\nend"), "Test(2): unknown component Nobody");
  EXPECT_EQ(ReadError("object Root: TRoot\n  OnPing = Missing\nend"), "Test(2): unknown handler Missing");
  EXPECT_EQ(ReadError("object Root: TRoot\n  OnPing = Value\nend"), "Test(2): handler Value does not fit OnPing");
  EXPECT_EQ(ReadError("object Root: TRoot\n  Text = 'open\nend"), "Test(2): unterminated string");
  EXPECT_EQ(ReadError("object Root: TRoot\n  Text = #1000\nend"), "Test(2): character code out of range");
  EXPECT_EQ(ReadError("object Root: TRoot\n  Count = 99999999999999999999999\nend"), "Test(2): number out of range");
  EXPECT_EQ(ReadError("object Root: TThing\nend"), "Test(1): the description is of TThing, not of TRoot");
  EXPECT_EQ(ReadError("object Root: TRoot\n  Sub.W = 1\nend"), "Test(2): unknown property W of TSub");
  EXPECT_EQ(ReadError("object Root: TRoot\n  Count = 1\n"), "Test(3): 'end' expected");
  EXPECT_EQ(ReadError("object Root: TRoot\nend", true), "Test(1): component Second is missing");
  EXPECT_EQ(ReadError("object Root: TRoot\n  object Second: TThing\n  end\n  object Second: TThing\n  end\nend"),
            "Test(4): A component named Second already exists");
}

TEST_F(ComponentModel, OwnerFreesNewestFirstAndReferencesAreCleared) {
  {
    TRoot root(nullptr);
    ReadDescription(&root, kGood, "Test");
    log.clear();
    auto* first = static_cast<TThing*>(root.FindComponent("First"));
    delete root.FindComponent("Second");
    EXPECT_EQ(first->Buddy(), nullptr);
    EXPECT_EQ(root.ComponentCount(), 2);
  }
  EXPECT_EQ(log, (std::vector<std::string>{"free Second", "free Root", "free Inner", "free First"}));
}

TEST_F(ComponentModel, PropertiesAsTextUseTheRealSetters) {
  TThing t(nullptr);
  const PropInfo* count = t.ClassInfo().FindProp("count");
  ASSERT_NE(count, nullptr);
  SetPropText(t, *count, "5");
  SetPropText(t, *count, "5");
  EXPECT_EQ(t.Applied, 1);  // an equal value is ignored
  EXPECT_EQ(GetPropText(t, *count), "5");
  const PropInfo* shape = t.ClassInfo().FindProp("Shape");
  SetPropText(t, *shape, "SHROUND");
  EXPECT_EQ(GetPropText(t, *shape), "shRound");
  const PropInfo* flag = t.ClassInfo().FindProp("Flag");
  SetPropText(t, *flag, "true");
  EXPECT_EQ(GetPropText(t, *flag), "True");
  const PropInfo* shapes = t.ClassInfo().FindProp("Shapes");
  SetPropText(t, *shapes, "[shNone, shSquare]");
  EXPECT_EQ(GetPropText(t, *shapes), "[shNone,shSquare]");
  EXPECT_THROW(SetPropText(t, *count, "12abc"), Exception);
  EXPECT_THROW(SetPropText(t, *shape, "shOval"), Exception);
  EXPECT_THROW(SetPropText(t, *shapes, "shRound"), Exception);
}

TEST_F(ComponentModel, PropertiesByPathFromTheWindow) {
  TRoot root(nullptr);
  ReadDescription(&root, kGood, "Test");
  EXPECT_EQ(GetPropPathText(root, "First.Shape"), "shSquare");
  EXPECT_EQ(GetPropPathText(root, "First.Sub.V"), "-7");
  EXPECT_EQ(GetPropPathText(root, "First.Buddy"), "Second");
  EXPECT_EQ(GetPropPathText(root, "Count"), "3");
  SetPropPathText(root, "Second.Flag", "True");
  EXPECT_TRUE(static_cast<TThing*>(root.FindComponent("Second"))->Flag());
  EXPECT_THROW(GetPropPathText(root, "Third.Flag"), Exception);
  EXPECT_THROW(SetPropPathText(root, "First.Nothing", "1"), Exception);
}

TEST(StringList, TextSplitsAnyLineBreakAndNamesValues) {
  TStringList s;
  s.SetText("a=1\r\nb=2\nc\rd=");
  EXPECT_EQ(s.Count(), 4);
  EXPECT_EQ(s.Values("B"), "2");
  EXPECT_EQ(s.Values("d"), "");
  EXPECT_EQ(s.Names(2), "");
  s.SetValue("c", "x");
  EXPECT_EQ(s.Count(), 5);
  EXPECT_EQ(s.Text(), "a=1\r\nb=2\r\nc\r\nd=\r\nc=x\r\n");
}

TEST(CallGuarded, NothingEscapesNotEvenFromTheSink) {
  std::vector<std::string> seen;
  TObject sender;
  SetExceptionSink([&](TObject* s, const std::exception& e) {
    EXPECT_EQ(s, &sender);
    seen.push_back(e.what());
    throw 1;  // a sink that fails itself
  });
  EXPECT_NO_THROW(CallGuarded(&sender, [] { throw Exception("typed"); }));
  EXPECT_NO_THROW(CallGuarded(&sender, [] { throw 42; }));
  EXPECT_NO_THROW(CallGuarded(&sender, [] {}));
  SetExceptionSink(nullptr);
  EXPECT_NO_THROW(CallGuarded(&sender, [] { throw 42; }));
  EXPECT_EQ(seen, (std::vector<std::string>{"typed", "Unknown failure in an event handler"}));
}

TEST(DescriptionNumbers, HexadecimalValuesKeepTheirBitsAndNegateWithoutOverflow) {
  auto value = [](const std::string& v) {
    return desc::Parse("object R: TRoot\n  N = " + v + "\nend", "Test").props.at(0).value.i;
  };
  EXPECT_EQ(value("-11"), -11);
  EXPECT_EQ(value("$FF"), 255);
  EXPECT_EQ(value("$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(value("$8000000000000000"), INT64_MIN);
  EXPECT_EQ(value("-$8000000000000000"), INT64_MIN);
  EXPECT_EQ(value("-$7FFFFFFFFFFFFFFF"), -INT64_MAX);
}

TEST(Collection, DeleteAndMoveKeepTheOrderAndIgnoreBadIndexes) {
  TCollection c(nullptr, [](TCollection* owner) { return new TItem(owner); });
  for (int i = 0; i < 4; ++i) static_cast<TItem*>(c.Add())->SetValue(i);
  auto values = [&] {
    std::vector<int> v;
    for (int i = 0; i < c.Count(); ++i) v.push_back(static_cast<TItem*>(c.Items(i))->Value());
    return v;
  };
  c.Move(0, 3);
  EXPECT_EQ(values(), (std::vector<int>{1, 2, 3, 0}));
  c.Move(3, 1);
  EXPECT_EQ(values(), (std::vector<int>{1, 0, 2, 3}));
  c.Delete(2);
  EXPECT_EQ(values(), (std::vector<int>{1, 0, 3}));
  c.Move(-1, 0);
  c.Move(0, 3);
  c.Delete(3);
  c.Delete(-1);
  EXPECT_EQ(values(), (std::vector<int>{1, 0, 3}));
  EXPECT_EQ(c.Items(2)->Index(), 2);
}

TEST(PropertyTables, AccessorsReachTheirObjectBehindAnotherBase) {
  TTwoBases t;
  const TClassInfo& c = TTwoBases::StaticClassInfo();
  SetPropText(t, *c.FindProp("level"), "42");
  SetPropText(t, *c.FindProp("Label"), "seen");
  EXPECT_EQ(t.Level(), 42);
  EXPECT_EQ(GetPropText(t, *c.FindProp("Level")), "42");
  EXPECT_EQ(t.Label(), "seen");
  EXPECT_EQ(t.Seen[1], 8);  // the other base untouched
  int pokes = 0;
  EXPECT_TRUE(c.FindProp("OnPoke")->SetEvent(t, std::any(TNotifyEvent([&](TObject*) { ++pokes; }))));
  EXPECT_FALSE(c.FindProp("OnPoke")->SetEvent(t, std::any(42)));
  ASSERT_TRUE(t.OnPoke);
  t.OnPoke(&t);
  EXPECT_EQ(pokes, 1);
}
