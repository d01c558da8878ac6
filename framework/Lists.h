// Lists: the pointer list, the abstract 8-bit string list with its text
// formats, the array-backed string list and its hashed variant.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "Classes.h"
#include "SysUtils.h"
#include "System.h"

class TStream;

using TListSortCompare = int (*)(void* Item1, void* Item2);

// A list of untyped pointers. An index outside 0..Count-1 (0..Count for
// Insert) raises EListError "List index out of bounds (%d)".

// Runs Body inside List's BeginUpdate/EndUpdate, closing the bracket also
// when Body raises, so that change events never stay switched off. Any list
// with BeginUpdate and EndUpdate will do.
template <class L, class F> void InUpdate(L& List, F&& Body) {
  List.BeginUpdate();
  try {
    Body();
  } catch (...) {
    List.EndUpdate();
    throw;
  }
  List.EndUpdate();
}

class TList : public TObject {
public:
  int Add(void* Item);
  void Insert(int Index, void* Item);
  void Delete(int Index);
  // Deletes the first occurrence of Item; its former index, or -1.
  int Remove(void* Item);
  int IndexOf(void* Item) const;
  void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);
  void Clear();

  int Count() const { return static_cast<int>(FList.size()); }
  void* Items(int Index) const;
  void SetItem(int Index, void* Item);
  void* First() const { return Items(0); }
  void* Last() const { return Items(Count() - 1); }
  // A stable sort; Compare returns < 0, 0 or > 0.
  void Sort(TListSortCompare Compare);

  int Capacity() const { return static_cast<int>(FList.capacity()); }
  // Below Count raises EListError "List capacity out of bounds (%d)".
  void SetCapacity(int NewCapacity);

private:
  void CheckIndex(int Index, int Limit) const;
  std::vector<void*> FList;
};

enum TDuplicates { dupIgnore = 0, dupAccept = 1, dupError = 2 };

// The abstract list of 8-bit lines (system code page), each with an object
// pointer that the list never owns. Descendants supply Get, GetCount,
// Insert, Delete and Clear, and usually GetObject/PutObject and
// SetUpdateState.
class TStrings : public TPersistent {
public:
  AnsiString Strings(int Index) const { return Get(Index); }
  // Replaces line Index; the base keeps the object (Delete, InsertObject).
  virtual void Put(int Index, const AnsiString& S);
  TObject* Objects(int Index) const { return GetObject(Index); }
  // The base ignores objects.
  virtual void PutObject(int Index, TObject* AObject);
  int Count() const { return GetCount(); }
  int Capacity() const { return GetCapacity(); }
  // The base ignores it.
  virtual void SetCapacity(int NewCapacity);

  virtual int Add(const AnsiString& S);
  virtual int AddObject(const AnsiString& S, TObject* AObject);
  virtual void Insert(int Index, const AnsiString& S) = 0;
  virtual void InsertObject(int Index, const AnsiString& S, TObject* AObject);
  virtual void Delete(int Index) = 0;
  virtual void Clear() = 0;
  // Nothing when equal; else takes line and object out and inserts them at
  // NewIndex (0..Count-1, checked before anything changes).
  virtual void Move(int CurIndex, int NewIndex);
  virtual void Exchange(int Index1, int Index2);
  void AddStrings(TStrings* Strings);
  // From another TStrings: its lines and objects. Else the default error.
  void Assign(TPersistent* Source) override;
  // Same count and every line equal byte for byte.
  bool Equals(TStrings* Strings) const;

  // First index of S (compared by CompareStrings), else -1.
  virtual int IndexOf(const AnsiString& S) const;
  // First line "Name=..." whose name equals Name case-insensitively, else -1.
  virtual int IndexOfName(const AnsiString& Name) const;
  int IndexOfObject(TObject* AObject) const;

  // Text before the first separator; empty for a line without one.
  AnsiString Names(int Index) const;
  // Text after the first separator; empty for a line without one.
  AnsiString ValueFromIndex(int Index) const;
  AnsiString Values(const AnsiString& Name) const;
  // Sets "Name=Value" (appended when new); an empty Value deletes the line.
  void SetValue(const AnsiString& Name, const AnsiString& Value);
  char NameValueSeparator() const { return FNameValueSeparator; }
  void SetNameValueSeparator(char Value) { FNameValueSeparator = Value; }

  // Every line followed by CR LF. Setting splits at CR LF, LF or CR; a line
  // end at the very end adds no empty line, a zero byte ends the text.
  AnsiString Text() const { return GetTextStr(); }
  void SetText(const AnsiString& Value) { SetTextStr(Value); }

  // The lines separated by Delimiter; a line with blanks, control
  // characters, the delimiter or the quote character is quoted with
  // QuoteChar, quotes inside doubled. Setting splits at delimiters and at
  // blanks outside quotes.
  AnsiString DelimitedText() const;
  void SetDelimitedText(const AnsiString& Value);
  char Delimiter() const { return FDelimiter; }
  void SetDelimiter(char Value) { FDelimiter = Value; }
  char QuoteChar() const { return FQuoteChar; }
  void SetQuoteChar(char Value) { FQuoteChar = Value; }
  // DelimitedText with ',' and '"'.
  AnsiString CommaText() const;
  void SetCommaText(const AnsiString& Value);

  // Nested; SetUpdateState(true) runs when the outermost begins, (false)
  // when it ends.
  void BeginUpdate();
  void EndUpdate();

  // 8-bit text in the system code page, byte for byte; saving writes CR LF
  // after each line.
  void LoadFromFile(const AnsiString& FileName);
  void LoadFromStream(TStream* Stream);
  void SaveToFile(const AnsiString& FileName) const;
  void SaveToStream(TStream* Stream) const;

protected:
  // Layouts store the lines as the "Strings" property: a list of strings.
  void DefineProperties(TFiler* Filer) override;
  virtual AnsiString Get(int Index) const = 0;
  virtual int GetCount() const = 0;
  virtual TObject* GetObject(int Index) const;
  virtual int GetCapacity() const { return GetCount(); }
  virtual AnsiString GetTextStr() const;
  virtual void SetTextStr(const AnsiString& Value);
  virtual void SetUpdateState(bool Updating);
  // 0 when equal; the base compares case-insensitively by the user locale.
  virtual int CompareStrings(const AnsiString& S1, const AnsiString& S2) const;
  int UpdateCount() const { return FUpdateCount; }
  // Raises EStringListError with Msg formatted with Data ("%d").
  [[noreturn]] static void Error(const wchar_t* Msg, int Data);

private:
  AnsiString FormatDelimited(char Delim, char Quote) const;
  void ParseDelimited(const AnsiString& Value, char Delim, char Quote);

  int FUpdateCount = 0;
  char FNameValueSeparator = '=';
  char FDelimiter = ',';
  char FQuoteChar = '"';
};

// Comparison of two lines of a string list by their indexes.
class TStringList;
using TStringListSortCompare = int (*)(TStringList* List, int Index1, int Index2);

// The array-backed string list. Every change is bracketed by Changing and
// Changed, which fire OnChanging/OnChange while no update is in progress;
// an outermost BeginUpdate/EndUpdate fires each once. An index out of range
// raises EStringListError "List index out of bounds (%d)".
class TStringList : public TStrings {
public:
  TStringList() = default;
  ~TStringList() override;

  // Sorted: Insert (and Put, Move) raise "Operation not allowed on sorted
  // list"; Add finds the place and applies Duplicates.
  void Put(int Index, const AnsiString& S) override;
  void PutObject(int Index, TObject* AObject) override;
  int Add(const AnsiString& S) override;
  int AddObject(const AnsiString& S, TObject* AObject) override;
  void Insert(int Index, const AnsiString& S) override;
  void InsertObject(int Index, const AnsiString& S, TObject* AObject) override;
  void Delete(int Index) override;
  void Clear() override;
  void Move(int CurIndex, int NewIndex) override;
  void Exchange(int Index1, int Index2) override;
  int IndexOf(const AnsiString& S) const override;
  // Below Count raises EStringListError "List capacity out of bounds (%d)".
  void SetCapacity(int NewCapacity) override;

  // Binary search of a sorted list: true when S is present; Index is the
  // first equal line or the insertion point.
  bool Find(const AnsiString& S, int& Index) const;
  // Sorts by CompareStrings (stable).
  void Sort();
  // Sorts an unsorted list with Compare (stable); a sorted list is left
  // alone.
  void CustomSort(TStringListSortCompare Compare);

  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  AnsiString Get(int Index) const override;
  int GetCount() const override { return static_cast<int>(FList.size()); }
  TObject* GetObject(int Index) const override;
  int GetCapacity() const override { return static_cast<int>(FList.capacity()); }
  void SetUpdateState(bool Updating) override;
  // Case-insensitive or case-sensitive by the user locale, as CaseSensitive.
  int CompareStrings(const AnsiString& S1, const AnsiString& S2) const override;
  virtual void Changing();
  virtual void Changed();

private:
  struct TStringItem {
    AnsiString FString;
    TObject* FObject = nullptr;
  };
  void CheckIndex(int Index) const;
  void InsertItem(int Index, const AnsiString& S, TObject* AObject);
  int AddSorted(const AnsiString& S, TObject* AObject);
  void SortBy(TStringListSortCompare Compare);

  std::vector<TStringItem> FList;
  TDuplicates FDuplicates = dupIgnore;
  bool FSorted = false;
  bool FCaseSensitive = false;
};

// A string list whose IndexOf and IndexOfName look lines up in hash indexes,
// rebuilt on the first look-up after a change. Results are those of the
// plain list; of equal lines or names the first wins.
class THashedStringList : public TStringList {
public:
  int IndexOf(const AnsiString& S) const override;
  int IndexOfName(const AnsiString& Name) const override;

protected:
  void Changed() override;

private:
  // Lines that compare equal have equal keys: the locale's sort keys.
  AnsiString ValueKey(const AnsiString& S) const;
  static AnsiString NameKey(const AnsiString& Name);

  mutable std::unordered_map<AnsiString, int> FValueHash;
  mutable std::unordered_map<AnsiString, int> FNameHash;
  mutable bool FValueHashValid = false;
  mutable bool FNameHashValid = false;
  // The settings the indexes were built with.
  mutable bool FValueHashCaseSensitive = false;
  mutable char FNameHashSeparator = '=';
};
