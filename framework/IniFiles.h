// Ini files: sections of name=value lines, read and written through the
// system's private-profile functions (TIniFile) or held in memory
// (TMemIniFile).
#pragma once

#include <unordered_map>
#include <vector>

#include "Lists.h"
#include "System.h"

// The typed readers and writers over the string ones of a descendant.
class TCustomIniFile : public TObject {
public:
  explicit TCustomIniFile(const AnsiString& AFileName) : FFileName(AFileName) {}

  const AnsiString& FileName() const { return FFileName; }

  virtual AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident,
                                const AnsiString& Default) = 0;
  virtual void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) = 0;
  // Decimal or "$"/"0x" hexadecimal; Default when missing or not a number.
  int ReadInteger(const AnsiString& Section, const AnsiString& Ident, int Default);
  void WriteInteger(const AnsiString& Section, const AnsiString& Ident, int Value);
  // An integer, true when not 0; written as "1" or "0".
  bool ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default);
  void WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value);
  // In the text of FloatToStr/StrToFloat (the locale's decimal separator).
  double ReadFloat(const AnsiString& Section, const AnsiString& Ident, double Default);
  void WriteFloat(const AnsiString& Section, const AnsiString& Ident, double Value);

  // The key names of a section; the list is cleared first.
  virtual void ReadSection(const AnsiString& Section, TStrings* Strings) = 0;
  // The section names; the list is cleared first.
  virtual void ReadSections(TStrings* Strings) = 0;
  // "name=value" lines of a section; the list is cleared first.
  virtual void ReadSectionValues(const AnsiString& Section, TStrings* Strings) = 0;
  bool SectionExists(const AnsiString& Section);
  bool ValueExists(const AnsiString& Section, const AnsiString& Ident);
  virtual void EraseSection(const AnsiString& Section) = 0;
  virtual void DeleteKey(const AnsiString& Section, const AnsiString& Ident) = 0;
  // Writes what is still held back to the file.
  virtual void UpdateFile() = 0;

protected:
  void SetFileName(const AnsiString& Value) { FFileName = Value; }

private:
  AnsiString FFileName;
};

// An ini file through GetPrivateProfileStringA and its relatives: a bare
// file name lies in the Windows folder, values come back trimmed and without
// surrounding quotes, and failed writes raise EIniFileException
// "Unable to write to %s".
class TIniFile : public TCustomIniFile {
public:
  explicit TIniFile(const AnsiString& AFileName) : TCustomIniFile(AFileName) {}
  // Flushes the system's cached copy of the file.
  ~TIniFile() override;

  AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) override;
  void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) override;
  void ReadSection(const AnsiString& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  void ReadSectionValues(const AnsiString& Section, TStrings* Strings) override;
  void EraseSection(const AnsiString& Section) override;
  void DeleteKey(const AnsiString& Section, const AnsiString& Ident) override;
  void UpdateFile() override;

private:
  void WriteProfile(const char* Section, const char* Ident, const char* Value);
};

// The whole file in memory. Section and key names compare case-insensitively,
// names and values are trimmed. Lines that are not "name=value" (comments,
// bare text, text before the first section) are kept and written back but
// are no keys; repeated sections are merged into the first. Nothing reaches
// the file before UpdateFile.
class TMemIniFile : public TCustomIniFile {
public:
  // Reads the file when it exists (a bare name is in the current folder).
  explicit TMemIniFile(const AnsiString& AFileName);

  AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) override;
  void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) override;
  void ReadSection(const AnsiString& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  void ReadSectionValues(const AnsiString& Section, TStrings* Strings) override;
  void EraseSection(const AnsiString& Section) override;
  void DeleteKey(const AnsiString& Section, const AnsiString& Ident) override;
  // Writes the file (CR LF lines); nothing for an empty FileName.
  void UpdateFile() override;

  void Clear();
  // The file's lines: "[section]" headers, their lines, an empty line after
  // each section.
  void GetStrings(TStrings* List) const;
  // Replaces the content by the parse of List.
  void SetStrings(TStrings* List);
  // Changes the file name; with Reload the content becomes that file's.
  void Rename(const AnsiString& AFileName, bool Reload);

private:
  struct TLine {
    AnsiString Name;  // a key, or the whole text of a line that is none
    AnsiString Value;
    bool IsKey;
  };
  struct TSection {
    AnsiString Name;
    bool HasHeader;  // false for the lines before the first section
    std::vector<TLine> Lines;
  };
  // Sections found through an index by upper-case name, confirmed by the
  // locale's comparison, so that a file of many sections loads in time
  // proportional to its size.
  using TSectionIndex = std::unordered_multimap<AnsiString, size_t>;
  static TSection* FindIn(std::vector<TSection>& Sections, const TSectionIndex& Index, const AnsiString& Section);
  static void AddSection(std::vector<TSection>& Sections, TSectionIndex& Index, const AnsiString& Name);
  TSection* FindSection(const AnsiString& Section);
  TLine* FindKey(TSection& Section, const AnsiString& Ident);
  void LoadValues();
  void Reindex();

  std::vector<TSection> FSections;
  TSectionIndex FIndex;
};
