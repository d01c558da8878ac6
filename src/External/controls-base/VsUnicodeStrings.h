// Lists of UTF-16 lines, each with an object pointer the list never owns: the
// abstract TVsWideStrings and the array-backed TVsWideStringList with its
// sorted mode, duplicates policy and change events.
#pragma once

#include <memory>
#include <vector>

#include "Classes.h"
#include "Lists.h"
#include "System.h"

class TFiler;
class TReader;
class TStream;

// The abstract list. Descendants supply Get, GetCount, Insert, Delete and
// Clear; everything else is built on them and may be overridden.
class TVsWideStrings : public TPersistent {
public:
  int Count() const { return GetCount(); }
  int Capacity() const { return GetCapacity(); }
  // The base ignores it.
  virtual void SetCapacity(int NewCapacity);
  WideString Strings(int Index) const { return Get(Index); }
  // Replaces line Index; the base keeps its object (Delete, InsertObject).
  virtual void Put(int Index, const WideString& S);
  TObject* Objects(int Index) const { return GetObject(Index); }
  // The base ignores objects.
  virtual void PutObject(int Index, TObject* AObject);

  // Every line followed by CR LF. Setting splits at CR LF, LF or CR; a line
  // end at the very end adds no empty line; a zero unit ends the text.
  WideString Text() const { return GetTextStr(); }
  void SetText(const WideString& Value) { SetTextStr(Value); }
  // The text of the zero-terminated P.
  virtual void SetText(const WideChar* P);
  // Text() as a zero-terminated buffer the caller owns.
  virtual std::unique_ptr<WideChar[]> GetText() const;

  // What follows "Name=" in the first line named Name (case-sensitive);
  // empty when there is none.
  WideString Values(const WideString& Name) const { return GetValue(Name); }

  // Save and load UTF-16 (with FF FE) instead of system code page text.
  bool SaveUnicode() const { return FSaveUnicode; }
  void SetSaveUnicode(bool Value) { FSaveUnicode = Value; }

  // The index of the new line.
  virtual int Add(const WideString& S);
  virtual int AddObject(const WideString& S, TObject* AObject);
  virtual void AddStrings(TVsWideStrings* Strings);
  virtual void Insert(int Index, const WideString& S) = 0;
  void InsertObject(int Index, const WideString& S, TObject* AObject);
  virtual void Delete(int Index) = 0;
  virtual void Clear() = 0;
  virtual void Exchange(int Index1, int Index2);
  // Nothing when equal; else takes line and object out and inserts them at
  // NewIndex. Both indexes lie in 0..Count-1 and the list must accept
  // inserts; that is checked before anything changes.
  virtual void Move(int CurIndex, int NewIndex);

  // From another TVsWideStrings, or from a framework string list (converted
  // from the system code page): lines and objects only.
  void Assign(TPersistent* Source) override;
  // Same count and every line equal unit for unit.
  bool Equals(TVsWideStrings* Strings) const;

  // First index of S (ordinal, case-sensitive), else -1.
  virtual int IndexOf(const WideString& S) const;
  // First line "Name=..." whose name equals Name (case-sensitive), else -1.
  int IndexOfName(const WideString& Name) const;
  int IndexOfObject(TObject* AObject) const;

  // Nested; SetUpdateState(true) runs before the outermost begins,
  // SetUpdateState(false) once it has ended.
  void BeginUpdate();
  void EndUpdate();

  // File names are in the system code page.
  virtual void LoadFromFile(const AnsiString& FileName);
  // From the position to the end: UTF-16 with FF FE (little-endian) or
  // FE FF (big-endian), else system code page text. With SaveUnicode the
  // rest is read as UTF-16 little-endian, with no mark looked for.
  virtual void LoadFromStream(TStream* Stream);
  virtual void SaveToFile(const AnsiString& FileName) const;
  // With SaveUnicode: FF FE and the text in UTF-16 little-endian; else the
  // text in the system code page.
  virtual void SaveToStream(TStream* Stream) const;

  // Raises EStringListError with Msg formatted with Data ("%d").
  [[noreturn]] static void Error(const AnsiString& Msg, int Data);

protected:
  void AssignTo(TPersistent* Dest) override;
  // Layouts store the lines as the "Strings" property: a list of strings.
  void DefineProperties(TFiler* Filer) override;
  virtual WideString Get(int Index) const = 0;
  virtual int GetCapacity() const { return GetCount(); }
  virtual int GetCount() const = 0;
  virtual TObject* GetObject(int Index) const;
  virtual WideString GetTextStr() const;
  virtual void SetTextStr(const WideString& Value);
  virtual void SetUpdateState(bool Updating);
  WideString GetValue(const WideString& Name) const;
  int UpdateCount() const { return FUpdateCount; }

private:
  void ReadStrings(TReader* Reader);
  void WriteStrings(TFiler* Writer) const;

  int FUpdateCount = 0;
  bool FSaveUnicode = false;
};

class TVsWideStringList;
// Compares the lines at Index1 and Index2: < 0, 0 or > 0.
using TVsWideStringListSortCompare = int (*)(TVsWideStringList* List, int Index1, int Index2);

// The array-backed list. Every change is bracketed by Changing and Changed,
// which fire OnChanging/OnChange while no update is in progress; an
// outermost BeginUpdate/EndUpdate fires each once. A bad index raises
// EStringListError "List index out of bounds (%d)" before anything changes.
class TVsWideStringList : public TVsWideStrings {
public:
  TVsWideStringList() = default;
  ~TVsWideStringList() override;

  // Below Count raises EStringListError "List capacity out of bounds (%d)".
  void SetCapacity(int NewCapacity) override;
  // Sorted: Insert and Put raise "Operation not allowed on sorted list".
  void Put(int Index, const WideString& S) override;
  void PutObject(int Index, TObject* AObject) override;
  // Sorted: finds the place and applies Duplicates.
  int Add(const WideString& S) override;
  void Insert(int Index, const WideString& S) override;
  void Delete(int Index) override;
  void Clear() override;
  void Exchange(int Index1, int Index2) override;
  // A sorted list refuses to move lines.
  void Move(int CurIndex, int NewIndex) override;
  int IndexOf(const WideString& S) const override;
  // Line Index where it is kept, for reading many lines without a copy of
  // each; a bad index raises as Strings does. Only for a list that holds
  // its own lines.
  const WideString& StringRef(int Index) const;

  // Binary search (ordinal, case-sensitive) of a sorted list: true when S
  // is present. Index is the position found (with dupAccept the first of
  // equal lines) or the insertion point.
  virtual bool Find(const WideString& S, int& Index) const;
  // Sorts ordinally (unstable).
  virtual void Sort();
  // Sorts an unsorted list of two or more lines with Compare (unstable); a
  // sorted list is left alone.
  virtual void CustomSort(TVsWideStringListSortCompare Compare);

  bool Sorted() const { return FSorted; }
  // Switching on sorts first.
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  WideString Get(int Index) const override;
  int GetCapacity() const override { return FCapacity; }
  int GetCount() const override { return FCount; }
  TObject* GetObject(int Index) const override;
  void SetUpdateState(bool Updating) override;
  virtual void Changed();
  virtual void Changing();

  // False in a descendant that keeps its lines elsewhere (it overrides Get,
  // GetCount, Put, Insert, Delete and Clear): searching, sorting and index
  // checks then go through Get, GetCount and Put instead of the array here.
  bool FHoldsOwnLines = true;

private:
  struct TVsWideStringItem {
    WideString FString;
    TObject* FObject = nullptr;
  };
  // The ordinal comparison Sort uses.
  static int CompareLines(TVsWideStringList* List, int Index1, int Index2);
  void CheckIndex(int Index) const;
  void Grow();
  void InsertItem(int Index, const WideString& S);
  void ExchangeItems(int Index1, int Index2);
  void QuickSort(int L, int R, TVsWideStringListSortCompare Compare);

  TDuplicates FDuplicates = dupIgnore;
  bool FSorted = false;
  int FCapacity = 0;
  int FCount = 0;
  // FCapacity items; those from FCount on are empty.
  std::unique_ptr<TVsWideStringItem[]> FList;
};
