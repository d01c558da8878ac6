#include <gtest/gtest.h>

#include <cctype>
#include <vector>

#include "Streams.h"
#include "SysUtils.h"
#include "VsTools.h"
#include "Win.h"

namespace {

std::string Bytes(TMemoryStream& M) {
  return std::string(static_cast<const char*>(M.Memory()), static_cast<size_t>(M.Size()));
}

TOwned<TMemoryStream> StreamOf(const std::string& Data) {
  TOwned<TMemoryStream> M(new TMemoryStream);
  M->WriteBuffer(Data.data(), static_cast<int>(Data.size()));
  M->SetPosition(0);
  return M;
}

// A stream that accepts nothing: every WriteBuffer raises.
class TFullStream : public TMemoryStream {
public:
  int Write(const void*, int) override { return 0; }
};

// Sets the flags from the version values, restores the real ones after.
class VersionFlags : public ::testing::Test {
protected:
  void TearDown() override { InitializeVsTools(); }
};

}  // namespace

TEST(VsTools, IntegersAndRectangles) {
  EXPECT_EQ(SwapInt32(0x12345678u), 0x78563412u);
  EXPECT_EQ(SwapInt32(0xFF000001u), 0x010000FFu);
  EXPECT_EQ(SwapInt32(0u), 0u);

  EXPECT_EQ(VsSign(-7), -1);
  EXPECT_EQ(VsSign(0), 0);
  EXPECT_EQ(VsSign(3), 1);
  EXPECT_TRUE(VsInRange(1, 3, 1));
  EXPECT_TRUE(VsInRange(1, 3, 3));
  EXPECT_FALSE(VsInRange(1, 3, 4));
  EXPECT_FALSE(VsInRange(3, 1, 2));
  EXPECT_EQ(VsMax(-1, 2), 2);
  EXPECT_EQ(VsMin(-1, 2), -1);

  struct Case { int W1, W2, H1, H2; TRect R; };
  for (const Case& C : std::vector<Case>{
           {10, 20, 4, 8, {5, 2, 14, 5}},
           {5, 4, 3, 3, {0, 0, 3, 2}},      // box wider than the area: cut to it
           {30, 20, 1, 9, {0, 4, 19, 4}},
           {0, 10, 0, 10, {5, 5, 4, 4}},    // an empty box stays empty
       }) {
    TRect R{-1, -1, -1, -1};
    CenterRect(C.W1, C.W2, C.H1, C.H2, R);
    EXPECT_EQ((std::vector<LONG>{R.left, R.top, R.right, R.bottom}),
              (std::vector<LONG>{C.R.left, C.R.top, C.R.right, C.R.bottom}))
        << C.W1 << "x" << C.H1 << " in " << C.W2 << "x" << C.H2;
  }
}

TEST(VsTools, StringsOnStreams) {
  TOwned<TMemoryStream> M(new TMemoryStream);
  EXPECT_TRUE(WriteStringToStream(M.get(), "abc"));
  EXPECT_TRUE(WriteStringToStream(M.get(), ""));
  EXPECT_TRUE(WriteStringToStream(M.get(), std::string("x\0y", 3)));
  EXPECT_EQ(Bytes(*M), std::string("\x03\0\0\0abc\0\0\0\0\x03\0\0\0x\0y", 18));

  M->SetPosition(0);
  AnsiString S = "old";
  EXPECT_TRUE(ReadStringFromStream(M.get(), S));
  EXPECT_EQ(S, "abc");
  EXPECT_TRUE(ReadStringFromStream(M.get(), S));
  EXPECT_EQ(S, "");
  EXPECT_TRUE(ReadStringFromStream(M.get(), S));
  EXPECT_EQ(S, std::string("x\0y", 3));
  EXPECT_FALSE(ReadStringFromStream(M.get(), S));  // at the end
  EXPECT_EQ(S, std::string("x\0y", 3));

  TOwned<TFullStream> Full(new TFullStream);
  EXPECT_FALSE(WriteStringToStream(Full.get(), "abc"));
}

TEST(VsTools, DamagedStringHeadersChangeNothing) {
  struct Case { const char* What; std::string Data; };
  for (const Case& C : std::vector<Case>{
           {"negative length", std::string("\xFF\xFF\xFF\xFF" "abc", 7)},
           {"length beyond the stream", std::string("\xFF\xFF\xFF\x7F" "abc", 7)},
           {"one byte short", std::string("\x04\0\0\0abc", 7)},
           {"header cut off", std::string("\x01\0", 2)},
       }) {
    TOwned<TMemoryStream> M(StreamOf("zz" + C.Data));
    M->SetPosition(2);
    AnsiString S = "kept";
    EXPECT_FALSE(ReadStringFromStream(M.get(), S)) << C.What;
    EXPECT_EQ(S, "kept") << C.What;
    EXPECT_EQ(M->Position(), 2) << C.What;
  }
}

TEST(VsTools, TextLines) {
  struct Case { AnsiString S, Written; };
  for (const Case& C : std::vector<Case>{
           {"a", "a\r\n"}, {"a\r\n", "a\r\n"}, {"", "\r\n"}, {"a\n", "a\n\r\n"}, {"a\r", "a\r\r\n"}, {"\r\n", "\r\n"}}) {
    TOwned<TMemoryStream> M(new TMemoryStream);
    WriteTextLine(M.get(), C.S);
    EXPECT_EQ(Bytes(*M), C.Written) << C.S;
  }
}

TEST(VsTools, FloatTextWithADot) {
  const AnsiChar Saved = DecimalSeparator;
  for (AnsiChar Separator : {',', '.'}) {
    DecimalSeparator = Separator;
    struct Case { AnsiString S; int Code; double Value; };
    for (const Case& C : std::vector<Case>{
             {"1.5", 0, 1.5}, {"-0.25", 0, -0.25}, {"12", 0, 12}, {" 2.5E3 ", 0, 2500}, {"1e-3", 0, 0.001},
             {"abc", 1, 0}, {"", 1, 0}, {"1.2.3", 1, 0}}) {
      double Value = -99;
      int Code = -1;
      DotStrToFloat(C.S, Value, Code);
      EXPECT_EQ(Code, C.Code) << C.S << " with " << Separator;
      if (C.Code == 0) {
        EXPECT_DOUBLE_EQ(Value, C.Value) << C.S << " with " << Separator;
      }
    }
    struct OutCase { double X; AnsiString Text; };
    for (const OutCase& C : std::vector<OutCase>{
             {1.5, "1.5"}, {-0.25, "-0.25"}, {100, "100"}, {1.0 / 3, "0.333333333333333"}, {1e20, "1E20"}}) {
      EXPECT_EQ(FloatToDotStr(C.X), C.Text) << C.X << " with " << Separator;
      double Back = 0;
      int Code = -1;
      DotStrToFloat(FloatToDotStr(C.X), Back, Code);
      EXPECT_EQ(Code, 0) << C.X;
    }
  }
  DecimalSeparator = Saved;
}

TEST(VsTools, PathsAndTemporaryNames) {
  struct Case { AnsiString Path, Expected; };
  for (const Case& C : std::vector<Case>{
           {"", ""}, {"C:", "C:\\"}, {"C:\\dir", "C:\\dir\\"}, {"C:\\dir\\", "C:\\dir\\"}, {"a/", "a/"}}) {
    EXPECT_EQ(AddTrailingBackslash(C.Path), C.Expected) << C.Path;
  }

  auto IsGuidName = [](const AnsiString& Name) {
    if (Name.size() != 36) return false;
    for (size_t I = 0; I < Name.size(); ++I) {
      const char C = Name[I];
      const bool Dash = I == 8 || I == 13 || I == 18 || I == 23;
      if (Dash ? C != '-' : !(std::isdigit(static_cast<unsigned char>(C)) || (C >= 'a' && C <= 'f'))) return false;
    }
    return true;
  };

  const AnsiString A = MakeTempFileName("C:\\Some\\DIR\\");
  const AnsiString B = MakeTempFileName("C:\\Some\\DIR\\");
  ASSERT_EQ(A.size(), 12u + 36u);
  EXPECT_EQ(A.substr(0, 12), "c:\\some\\dir\\");
  EXPECT_TRUE(IsGuidName(A.substr(12))) << A;
  EXPECT_NE(A, B);

  char Temp[MAX_PATH + 1];
  const DWORD N = GetTempPathA(MAX_PATH, Temp);
  const AnsiString Folder = AnsiLowerCaseFileName(AnsiString(Temp, N));
  const AnsiString T = MakeTempFileName("");
  ASSERT_EQ(T.size(), Folder.size() + 36);
  EXPECT_EQ(T.substr(0, Folder.size()), Folder);
  EXPECT_TRUE(IsGuidName(T.substr(Folder.size()))) << T;
}

TEST(VsTools, ShiftStateFromTheKeyboard) {
  BYTE Saved[256];
  ASSERT_TRUE(GetKeyboardState(Saved));
  struct Case { std::vector<int> Down; TShiftState Expected; };
  for (const Case& C : std::vector<Case>{
           {{}, {}},
           {{VK_SHIFT}, {ssShift}},
           {{VK_CONTROL, VK_MENU}, {ssAlt, ssCtrl}},
           {{VK_SHIFT, VK_MENU, VK_CONTROL, VK_LBUTTON}, {ssShift, ssAlt, ssCtrl}},
       }) {
    BYTE State[256] = {};
    for (int Key : C.Down) State[Key] = 0x80;
    ASSERT_TRUE(SetKeyboardState(State));
    EXPECT_EQ(GetShiftStateNow().Bits(), C.Expected.Bits()) << C.Down.size();
  }
  SetKeyboardState(Saved);
}

TEST_F(VersionFlags, FromPlatformAndVersion) {
  struct Case {
    const char* Name;
    DWORD Platform, Major, Minor;
    bool NT, NTUp, W2000, XP, W2000Up, XPUp, W98, W98Up;
  };
  for (const Case& C : std::vector<Case>{
           {"95", 1, 4, 0, false, false, false, false, false, false, false, false},
           {"98", 1, 4, 10, false, false, false, false, false, false, true, true},
           {"ME", 1, 4, 90, false, false, false, false, false, false, true, true},
           {"NT 4", 2, 4, 0, true, true, false, false, false, false, false, false},
           {"2000", 2, 5, 0, true, true, true, false, true, false, false, false},
           {"XP", 2, 5, 1, true, true, true, true, true, true, false, false},
           {"2003", 2, 5, 2, true, true, true, false, true, true, false, false},
           {"Vista", 2, 6, 0, true, true, true, false, true, false, false, false},
           {"7", 2, 6, 1, true, true, true, false, true, true, false, false},
           {"10", 2, 10, 0, true, true, true, false, true, false, false, false},
       }) {
    SetVersionFlags(C.Platform, C.Major, C.Minor);
    EXPECT_EQ((std::vector<bool>{IsWinNT, IsWinNTUp, IsWin2000, IsWinXP, IsWin2000Up, IsWinXPUp, IsWin98, IsWin98Up}),
              (std::vector<bool>{C.NT, C.NTUp, C.W2000, C.XP, C.W2000Up, C.XPUp, C.W98, C.W98Up}))
        << C.Name;
  }
}

// The tests run on a prefix set to Windows XP.
TEST_F(VersionFlags, FromTheSystem) {
  SetVersionFlags(0, 0, 0);
  InitializeVsTools();
  EXPECT_TRUE(IsWinNT);
  EXPECT_TRUE(IsWinXP);
  EXPECT_TRUE(IsWinXPUp);
  EXPECT_TRUE(IsWin2000Up);
  EXPECT_FALSE(IsWin98);
}
