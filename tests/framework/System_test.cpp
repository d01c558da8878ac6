#include <gtest/gtest.h>

#include "System.h"

class TCounter : public TObject {
public:
  int Hits = 0;
  void Hit(TObject*) { ++Hits; }
  void Other(TObject*) {}
};

class TDerivedCounter : public TCounter {};

TEST(MethodPtr, AssignCompareAndCall) {
  TDerivedCounter C;
  TNotifyEvent E;
  EXPECT_FALSE(E);
  E = TNotifyEvent(&C, &TCounter::Hit);
  ASSERT_TRUE(E);
  E(nullptr);
  E(&C);
  EXPECT_EQ(C.Hits, 2);
  EXPECT_EQ(E, TNotifyEvent(&C, &TCounter::Hit));
  EXPECT_NE(E, TNotifyEvent(&C, &TCounter::Other));
  E = nullptr;
  EXPECT_FALSE(E);
}

TEST(Object, ClassNameIsTheSourceName) {
  TDerivedCounter C;
  EXPECT_EQ(C.ClassName(), "TDerivedCounter");
  TObject O;
  EXPECT_EQ(O.ClassName(), "TObject");
}

TEST(Conversions, PolishTextInCodePage1250) {
  const WideString Polish = L"Zażółć gęślą jaźń";
  const AnsiString Bytes = WideToAnsi(Polish);
  ASSERT_EQ(Bytes.size(), Polish.size());
  EXPECT_EQ(static_cast<unsigned char>(Bytes[2]), 0xBF);  // ż in 1250
  EXPECT_EQ(AnsiToWide(Bytes), Polish);
  EXPECT_EQ(UTF8ToWide(WideToUTF8(Polish)), Polish);
}
