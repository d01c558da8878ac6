// Lists of UTF-16 lines: the abstract TUniStrings with the operations of the
// framework's 8-bit string list, the stored TUniStringList, an 8-bit view of
// any wide list, text files with byte-order marks, a file stream opened by a
// wide name, and the layout entries of wide lists and wide properties.
#pragma once

#include <vector>

#include "Classes.h"
#include "Filer.h"
#include "Lists.h"
#include "Streams.h"
#include "System.h"
#include "UniSysUtils.h"

class TAnsiStringsForWideStrings;

// Registers the layer's list classes with the class registry (their
// published AnsiStrings view).
void InitializeUniClasses();

// How the last file loaded by LoadFromFile was coded.
enum TUniFileCharSet : Byte { fcsAnsi = 0, fcsUTF16LE = 1, fcsUTF16BE = 2, fcsUTF8 = 3 };

// The abstract list of UTF-16 lines, each with an object that the list never
// owns. Descendants supply Get, GetCount, Insert, Delete and Clear, and
// usually GetObject/PutObject and SetUpdateState.
class TUniStrings : public TPersistent {
public:
  TUniStrings();
  ~TUniStrings() override;

  // From a wide list: its lines, objects and separators. From an 8-bit
  // framework list: its lines converted from the system code page.
  void Assign(TPersistent* Source) override;

  WideString Strings(int Index) const { return Get(Index); }
  // Replaces line Index; the base keeps the object (Delete, InsertObject).
  virtual void Put(int Index, const WideString& S);
  TObject* Objects(int Index) const { return GetObject(Index); }
  // The base ignores objects.
  virtual void PutObject(int Index, TObject* AObject);
  int Count() const { return GetCount(); }
  int Capacity() const { return GetCapacity(); }
  // The base ignores it.
  virtual void SetCapacity(int NewCapacity);

  // Every line followed by CR LF. Setting splits at CR, LF and U+2028 (CR LF
  // and a break followed by U+2028 count once); a break at the very end adds
  // no empty line, a 0 unit ends the text.
  WideString Text() const { return GetTextStr(); }
  void SetText(const WideString& Value) { SetTextStr(Value); }

  virtual int Add(const WideString& S);
  virtual int AddObject(const WideString& S, TObject* AObject);
  virtual void AddStrings(TUniStrings* Strings);
  virtual void Clear() = 0;
  virtual void Delete(int Index) = 0;
  virtual void Exchange(int Index1, int Index2);
  // The text in a new 0-terminated buffer.
  virtual TUniStrPtr GetText() const;
  // First index of S (compared by CompareStrings), else -1.
  virtual int IndexOf(const WideString& S) const;
  // First line holding the separator whose part before it compares equal to
  // Name; lines without the separator never match. -1 when none.
  virtual int IndexOfName(const WideString& Name) const;
  virtual int IndexOfObject(TObject* AObject) const;
  virtual void Insert(int Index, const WideString& S) = 0;
  virtual void InsertObject(int Index, const WideString& S, TObject* AObject);
  // Reads the file's coding from its byte-order mark (FF FE UTF-16LE, FE FF
  // UTF-16BE, EF BB BF UTF-8, none: the system code page) and keeps it in
  // LastFileCharSet. A failed load leaves the list as it was.
  virtual void LoadFromFile(const WideString& FileName);
  // From the stream's position to its end; DetectBOM reads the coding from
  // a byte-order mark, else the bytes are UTF-16LE.
  virtual void LoadFromStream(TStream* Stream, bool DetectBOM);
  // Nothing when equal; else takes line and object out and inserts them at
  // NewIndex. Both indexes (0..Count-1) are checked before anything changes.
  virtual void Move(int CurIndex, int NewIndex);
  // UTF-16LE behind the mark FF FE.
  virtual void SaveToFile(const WideString& FileName) const;
  virtual void SaveToStream(TStream* Stream, bool WriteBOM) const;

  // Nested; SetUpdateState(true) runs when the outermost begins, (false)
  // when it ends.
  void BeginUpdate();
  void EndUpdate();

  // The 8-bit view of this list (system code page); it belongs to the list.
  TAnsiStringsForWideStrings* AnsiStrings() const { return FAnsiStrings.get(); }
  // Replaces the lines by those of an 8-bit list.
  void SetAnsiStrings(TStrings* Value);

  TUniFileCharSet LastFileCharSet() const { return FLastFileCharSet; }
  WideChar NameValueSeparator() const { return FNameValueSeparator; }
  void SetNameValueSeparator(WideChar Value) { FNameValueSeparator = Value; }
  WideChar Delimiter() const { return FDelimiter; }
  void SetDelimiter(WideChar Value) { FDelimiter = Value; }
  WideChar QuoteChar() const { return FQuoteChar; }
  void SetQuoteChar(WideChar Value) { FQuoteChar = Value; }

  // Raises EStringListError with Msg formatted with Data ("%d").
  [[noreturn]] static void ListError(const char* Msg, int Data);

protected:
  // An 8-bit framework list is given this list's lines.
  void AssignTo(TPersistent* Dest) override;
  // Layout entries: "Strings" and "WideStrings" (a single text or a list of
  // lines), "WideStringsW" (UTF-8 lines, taken when designing or while the
  // list is empty), "WideStrings_UTF7" (UTF-7 lines, taken when designing).
  void DefineProperties(TFiler* Filer) override;
  virtual WideString Get(int Index) const = 0;
  virtual int GetCapacity() const { return GetCount(); }
  virtual int GetCount() const = 0;
  virtual TObject* GetObject(int Index) const;
  virtual WideString GetTextStr() const;
  virtual void SetTextStr(const WideString& Value);
  virtual void SetUpdateState(bool Updating);
  // 0 when equal; the base ignores case (user locale).
  virtual int CompareStrings(const WideString& S1, const WideString& S2) const;
  int UpdateCount() const { return FUpdateCount; }

private:
  std::unique_ptr<TAnsiStringsForWideStrings> FAnsiStrings;
  TUniFileCharSet FLastFileCharSet = fcsUTF16LE;
  WideChar FDelimiter = L',';
  WideChar FQuoteChar = L'"';
  WideChar FNameValueSeparator = L'=';
  int FUpdateCount = 0;
};

// An 8-bit framework list that can also read and write its text in a given
// code page.
class TAnsiStrings : public TStrings {
public:
  // Replaces the lines by the rest of the stream, converted from CodePage.
  virtual void LoadFromStreamEx(TStream* Stream, Cardinal CodePage) = 0;
  // Writes the text (every line followed by CR LF) in CodePage.
  virtual void SaveToStreamEx(TStream* Stream, Cardinal CodePage) const = 0;
};

// The 8-bit view of a wide list: every operation works on the wide list,
// converting lines from and to the system code page.
class TAnsiStringsForWideStrings : public TAnsiStrings {
public:
  explicit TAnsiStringsForWideStrings(TUniStrings* AWideStrings) : FWideStrings(AWideStrings) {}

  void Put(int Index, const AnsiString& S) override;
  void PutObject(int Index, TObject* AObject) override;
  void Insert(int Index, const AnsiString& S) override;
  void Delete(int Index) override;
  void Clear() override;
  void LoadFromStreamEx(TStream* Stream, Cardinal CodePage) override;
  void SaveToStreamEx(TStream* Stream, Cardinal CodePage) const override;

protected:
  AnsiString Get(int Index) const override;
  int GetCount() const override;
  TObject* GetObject(int Index) const override;
  void SetUpdateState(bool Updating) override;

private:
  TUniStrings* FWideStrings;
};

// A line and its object.
struct TWideStringItem {
  WideString FString;
  TObject* FObject = nullptr;
};

class TUniStringList;
// Compares the lines at two indexes: < 0, 0 or > 0.
using TUniStringListSortCompare = int (*)(TUniStringList* List, int Index1, int Index2);

// The stored wide list. Every change is bracketed by Changing and Changed,
// which fire OnChanging/OnChange while no update is in progress. An index
// out of range raises EStringListError "List index out of bounds (%d)".
class TUniStringList : public TUniStrings {
public:
  TUniStringList() = default;
  ~TUniStringList() override;

  // Sorted: Put, Insert and Move raise "Operation not allowed on sorted
  // list"; Add finds the place and applies Duplicates.
  void Put(int Index, const WideString& S) override;
  void PutObject(int Index, TObject* AObject) override;
  // Below Count raises EStringListError "List capacity out of bounds (%d)".
  void SetCapacity(int NewCapacity) override;
  int Add(const WideString& S) override;
  int AddObject(const WideString& S, TObject* AObject) override;
  void Clear() override;
  void Delete(int Index) override;
  void Exchange(int Index1, int Index2) override;
  int IndexOf(const WideString& S) const override;
  int IndexOfName(const WideString& Name) const override;
  void Insert(int Index, const WideString& S) override;
  void InsertObject(int Index, const WideString& S, TObject* AObject) override;
  void Move(int CurIndex, int NewIndex) override;

  // Binary search of a sorted list: true when S is present. Index is the
  // insertion point, or the line found (with dupAccept the first of the
  // equal lines).
  virtual bool Find(const WideString& S, int& Index) const;
  // Sorts by CompareStrings.
  virtual void Sort();
  // Sorts an unsorted list of two lines or more with Compare (quicksort, not
  // stable); a sorted list is left alone.
  virtual void CustomSort(TUniStringListSortCompare Compare);

  bool Sorted() const { return FSorted; }
  // Sorts the lines when the list becomes sorted.
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  // A sorted list is sorted again by the new comparison.
  void SetCaseSensitive(bool Value);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  WideString Get(int Index) const override;
  int GetCapacity() const override { return FCapacity; }
  int GetCount() const override { return FCount; }
  TObject* GetObject(int Index) const override;
  void SetUpdateState(bool Updating) override;
  // By the user locale, ignoring case unless CaseSensitive.
  int CompareStrings(const WideString& S1, const WideString& S2) const override;
  virtual void Changed();
  virtual void Changing();
  virtual void InsertItem(int Index, const WideString& S, TObject* AObject);

private:
  static int CompareByStrings(TUniStringList* List, int Index1, int Index2);
  void CheckIndex(int Index) const;
  void Grow();
  void QuickSort(int Low, int High, TUniStringListSortCompare Compare);
  void SortBy(TUniStringListSortCompare Compare);

  std::vector<TWideStringItem> FList;  // Capacity pairs; the first Count are in use
  int FCount = 0;
  int FCapacity = 0;
  bool FSorted = false;
  TDuplicates FDuplicates = dupIgnore;
  bool FCaseSensitive = false;
};

// A file stream opened by a wide name. Mode fmCreate creates (or empties)
// the file; any other mode opens it with WideFileOpen. Failure raises
// EFCreateError "Cannot create file %s" or EFOpenError "Cannot open file %s".
class TUniFileStream : public THandleStream {
public:
  TUniFileStream(const WideString& FileName, Word Mode);
  ~TUniFileStream() override;
};

// The layout entries of the published WideString properties of a control,
// menu item or action: for each property P, "PW" (UTF-8) and "P_UTF7"
// (UTF-7). Both are taken only while the component is being designed; at
// run time they are read and dropped, and the property keeps the value that
// its own published entry gave.
class TUniWideStringPropertyFiler {
public:
  static void DefineProperties(TFiler* Filer, TPersistent* Instance);
};
