#include "IniFiles.h"

#include <algorithm>
#include <cstring>

#include "Consts.h"
#include "SysUtils.h"
#include "Win.h"

namespace {

// A line break would end the line early and let the rest pose as further
// keys or sections, so such text is refused rather than stored.
void CheckSingleLine(const AnsiString& FileName, const AnsiString& Text) {
  if (Text.find_first_of("\r\n") != AnsiString::npos)
    throw EIniFileException(FmtLoadStr(SIniFileLineBreak, FileName));
}

// Splits a zero-separated list that ends with an empty item.
void AddZeroSeparated(TStrings* Strings, const char* Items) {
  for (const char* P = Items; *P; P += std::strlen(P) + 1) Strings->Add(P);
}

// Clears Strings and fills it in one update.
template <class F> void Refill(TStrings* Strings, F Fill) {
  Strings->BeginUpdate();
  try {
    Strings->Clear();
    Fill();
  } catch (...) {
    Strings->EndUpdate();
    throw;
  }
  Strings->EndUpdate();
}

}  // namespace

// ---- TCustomIniFile ---------------------------------------------------------

int TCustomIniFile::ReadInteger(const AnsiString& Section, const AnsiString& Ident, int Default) {
  return StrToIntDef(ReadString(Section, Ident, ""), Default);
}

void TCustomIniFile::WriteInteger(const AnsiString& Section, const AnsiString& Ident, int Value) {
  WriteString(Section, Ident, IntToStr(Value));
}

bool TCustomIniFile::ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default) {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

double TCustomIniFile::ReadFloat(const AnsiString& Section, const AnsiString& Ident, double Default) {
  return StrToFloatDef(ReadString(Section, Ident, ""), Default);
}

void TCustomIniFile::WriteFloat(const AnsiString& Section, const AnsiString& Ident, double Value) {
  WriteString(Section, Ident, FloatToStr(Value));
}

bool TCustomIniFile::SectionExists(const AnsiString& Section) {
  TStringList Keys;
  ReadSection(Section, &Keys);
  return Keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const AnsiString& Section, const AnsiString& Ident) {
  TStringList Keys;
  ReadSection(Section, &Keys);
  return Keys.IndexOf(Ident) >= 0;
}

// ---- TIniFile ---------------------------------------------------------------

TIniFile::~TIniFile() { UpdateFile(); }

AnsiString TIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) {
  std::vector<char> Buffer(2048);
  for (;;) {
    DWORD Len = GetPrivateProfileStringA(Section.c_str(), Ident.c_str(), Default.c_str(), Buffer.data(),
                                         static_cast<DWORD>(Buffer.size()), FileName().c_str());
    // A value that fills the buffer may have been cut: read it again, larger.
    if (Len + 1 < Buffer.size()) return AnsiString(Buffer.data(), Len);
    Buffer.resize(Buffer.size() * 2);
  }
}

void TIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) {
  CheckSingleLine(FileName(), Section + Ident + Value);
  WriteProfile(Section.c_str(), Ident.c_str(), Value.c_str());
}

void TIniFile::WriteProfile(const char* Section, const char* Ident, const char* Value) {
  if (!WritePrivateProfileStringA(Section, Ident, Value, FileName().c_str()))
    throw EIniFileException(FmtLoadStr(SIniFileWriteError, FileName()));
}

namespace {

// The zero-separated names of the sections (Section null) or of the keys of
// Section, read completely.
std::vector<char> ReadNames(const char* Section, const AnsiString& FileName) {
  std::vector<char> Buffer(4096);
  for (;;) {
    DWORD Len = GetPrivateProfileStringA(Section, nullptr, "", Buffer.data(), static_cast<DWORD>(Buffer.size()),
                                         FileName.c_str());
    if (Len + 2 < Buffer.size()) {
      Buffer[Len] = Buffer[Len + 1] = '\0';
      return Buffer;
    }
    Buffer.resize(Buffer.size() * 2);
  }
}

}  // namespace

void TIniFile::ReadSection(const AnsiString& Section, TStrings* Strings) {
  std::vector<char> Names = ReadNames(Section.c_str(), FileName());
  Refill(Strings, [&] { AddZeroSeparated(Strings, Names.data()); });
}

void TIniFile::ReadSections(TStrings* Strings) {
  std::vector<char> Names = ReadNames(nullptr, FileName());
  Refill(Strings, [&] { AddZeroSeparated(Strings, Names.data()); });
}

void TIniFile::ReadSectionValues(const AnsiString& Section, TStrings* Strings) {
  // Through ReadString, so that values come as the system reads them
  // (trimmed, unquoted), not as the raw lines of the section.
  TStringList Keys;
  ReadSection(Section, &Keys);
  Refill(Strings, [&] {
    for (int I = 0; I < Keys.Count(); ++I)
      Strings->Add(Keys.Strings(I) + "=" + ReadString(Section, Keys.Strings(I), ""));
  });
}

void TIniFile::EraseSection(const AnsiString& Section) { WriteProfile(Section.c_str(), nullptr, nullptr); }

void TIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident) {
  WriteProfile(Section.c_str(), Ident.c_str(), nullptr);
}

void TIniFile::UpdateFile() { WritePrivateProfileStringA(nullptr, nullptr, nullptr, FileName().c_str()); }

// ---- TMemIniFile --------------------------------------------------------------

TMemIniFile::TMemIniFile(const AnsiString& AFileName) : TCustomIniFile(AFileName) { LoadValues(); }

void TMemIniFile::LoadValues() {
  if (FileName().empty() || !FileExists(FileName())) {
    Clear();
    return;
  }
  TStringList List;
  List.LoadFromFile(FileName());
  SetStrings(&List);
}

TMemIniFile::TSection* TMemIniFile::FindIn(std::vector<TSection>& Sections, const TSectionIndex& Index,
                                            const AnsiString& Section) {
  TSection* First = nullptr;
  const auto [Begin, End] = Index.equal_range(AnsiUpperCase(Section));
  for (auto It = Begin; It != End; ++It) {
    TSection& S = Sections[It->second];
    if ((!First || &S < First) && AnsiSameText(S.Name, Section)) First = &S;
  }
  return First;
}

void TMemIniFile::AddSection(std::vector<TSection>& Sections, TSectionIndex& Index, const AnsiString& Name) {
  Sections.push_back(TSection{Name, true, {}});
  Index.emplace(AnsiUpperCase(Name), Sections.size() - 1);
}

void TMemIniFile::Reindex() {
  FIndex.clear();
  for (size_t I = 0; I < FSections.size(); ++I)
    if (FSections[I].HasHeader) FIndex.emplace(AnsiUpperCase(FSections[I].Name), I);
}

TMemIniFile::TSection* TMemIniFile::FindSection(const AnsiString& Section) {
  return FindIn(FSections, FIndex, Section);
}

TMemIniFile::TLine* TMemIniFile::FindKey(TSection& Section, const AnsiString& Ident) {
  for (TLine& L : Section.Lines)
    if (L.IsKey && AnsiSameText(L.Name, Ident)) return &L;
  return nullptr;
}

AnsiString TMemIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) {
  TSection* S = FindSection(Section);
  TLine* L = S ? FindKey(*S, Ident) : nullptr;
  return L ? L->Value : Default;
}

void TMemIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) {
  CheckSingleLine(FileName(), Section + Ident + Value);
  TSection* S = FindSection(Section);
  if (!S) {
    AddSection(FSections, FIndex, Trim(Section));
    S = &FSections.back();
  }
  if (TLine* L = FindKey(*S, Ident))
    L->Value = Trim(Value);
  else
    S->Lines.push_back(TLine{Trim(Ident), Trim(Value), true});
}

void TMemIniFile::ReadSection(const AnsiString& Section, TStrings* Strings) {
  TSection* S = FindSection(Section);
  Refill(Strings, [&] {
    if (S)
      for (const TLine& L : S->Lines)
        if (L.IsKey) Strings->Add(L.Name);
  });
}

void TMemIniFile::ReadSections(TStrings* Strings) {
  Refill(Strings, [&] {
    for (const TSection& S : FSections)
      if (S.HasHeader) Strings->Add(S.Name);
  });
}

void TMemIniFile::ReadSectionValues(const AnsiString& Section, TStrings* Strings) {
  TSection* S = FindSection(Section);
  Refill(Strings, [&] {
    if (S)
      for (const TLine& L : S->Lines)
        if (L.IsKey) Strings->Add(L.Name + "=" + L.Value);
  });
}

void TMemIniFile::EraseSection(const AnsiString& Section) {
  std::erase_if(FSections, [&](const TSection& S) { return S.HasHeader && AnsiSameText(S.Name, Section); });
  Reindex();
}

void TMemIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident) {
  if (TSection* S = FindSection(Section))
    std::erase_if(S->Lines, [&](const TLine& L) { return L.IsKey && AnsiSameText(L.Name, Ident); });
}

void TMemIniFile::UpdateFile() {
  if (FileName().empty()) return;
  TStringList List;
  GetStrings(&List);
  List.SaveToFile(FileName());
}

void TMemIniFile::Clear() {
  FSections.clear();
  FIndex.clear();
}

void TMemIniFile::GetStrings(TStrings* List) const {
  Refill(List, [&] {
    for (const TSection& S : FSections) {
      if (S.HasHeader) List->Add("[" + S.Name + "]");
      for (const TLine& L : S.Lines) List->Add(L.IsKey ? L.Name + "=" + L.Value : L.Name);
      List->Add("");
    }
  });
}

void TMemIniFile::SetStrings(TStrings* List) {
  std::vector<TSection> Sections;
  TSectionIndex Index;
  size_t Current = 0;  // index into Sections; none while Sections is empty
  for (int I = 0; I < List->Count(); ++I) {
    AnsiString S = Trim(List->Strings(I));
    if (S.empty()) continue;
    if (S[0] == '[') {
      // The name ends at the first "]", as the system reads it.
      size_t Close = S.find(']');
      AnsiString Name = Trim(S.substr(1, Close == AnsiString::npos ? AnsiString::npos : Close - 1));
      if (const TSection* Found = FindIn(Sections, Index, Name)) {
        Current = static_cast<size_t>(Found - Sections.data());
      } else {
        AddSection(Sections, Index, Name);
        Current = Sections.size() - 1;
      }
      continue;
    }
    if (Sections.empty()) Sections.push_back(TSection{"", false, {}});
    size_t Eq = S.find('=');
    if (S[0] == ';' || Eq == AnsiString::npos)
      Sections[Current].Lines.push_back(TLine{S, "", false});
    else
      Sections[Current].Lines.push_back(TLine{TrimRight(S.substr(0, Eq)), TrimLeft(S.substr(Eq + 1)), true});
  }
  FSections = std::move(Sections);
  FIndex = std::move(Index);
}

void TMemIniFile::Rename(const AnsiString& AFileName, bool Reload) {
  SetFileName(AFileName);
  if (Reload) LoadValues();
}
