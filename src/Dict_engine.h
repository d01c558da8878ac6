// The trainer's data: dictionary entries, dictionaries with their .dic files
// and the tab-separated text import, and the user with the memory image of
// its result file.
#pragma once

#include <memory>

#include "Lists.h"
#include "Streams.h"
#include "System.h"
#include "VsUnicodeStrings.h"

class TLabel;

// Units per entry field; a shorter text is followed by a zero unit, a text
// of 81 units or more keeps its first 81 and has no terminator.
constexpr int QuestionFieldSize = 81;
// Fields of an entry: 0 the question, 1 to 4 the answers.
constexpr int QuestionFieldCount = 5;
// Bytes of an entry in a .dic file, and of the file's header.
constexpr int QuestionRecordBytes = QuestionFieldCount * QuestionFieldSize * 2;
constexpr int DictTitleSize = 81;
constexpr int DictDescriptionSize = 161;
constexpr int DictHeaderBytes = (DictTitleSize + DictDescriptionSize) * 2;

// One dictionary entry: the question and answers 1 to 4. Units after a
// field's terminator carry no meaning.
struct TQuestionRecord {
  WideChar Fields[QuestionFieldCount][QuestionFieldSize];
};

// The text of a field of Size units: up to the first zero unit or all of it.
WideString ReadTextField(const WideChar* Field, int Size);

// good * 100 / total to the nearest integer, halves to the even neighbour
// (1 of 8 gives 12); 0 when Total is not positive. Computed on integers, so
// every window shows the same figure for the same result.
Int64 RoundPercent(Int64 Good, Int64 Total);

// Holds one entry.
class TQuestion : public TObject {
public:
  TQuestion();

  // Empties the question and the four answers.
  void Clear();
  WideString GetQuestion() const { return GetAnswer(0); }
  // Stores the first 81 units; a shorter text is zero-filled to the end.
  void SetQuestion(const WideString& Text) { SetAnswer(0, Text); }
  // Index 1..4 an answer, 0 the question; another index raises EListError.
  WideString GetAnswer(int Index) const;
  void SetAnswer(int Index, const WideString& Text);
  // The non-empty answers among 1 to 4.
  int AnswerCount() const;
  // True when Text equals one of the non-empty answers: unit for unit when
  // Exact, else ignoring case by the user locale. An empty answer never
  // matches, so an entry with a gap accepts its real answers only.
  bool CheckAnswer(const WideString& Text, bool Exact) const;

  // Entries go to and from a dictionary as whole records (copies).
  TQuestionRecord& Record() { return FRecord; }
  const TQuestionRecord& Record() const { return FRecord; }

private:
  TQuestionRecord FRecord;
};

// A node of the dictionary's chain of entries.
struct TDictNode {
  TQuestionRecord Record;
  TDictNode* Prev = nullptr;              // the next lower index
  std::unique_ptr<TDictNode> Next;        // the next higher index
};

// A dictionary: title, description and an ordered chain of entries. Two
// optional wide lists, not owned, mirror the entries row for row: the
// questions and the answers joined by Separator.
class TDict : public TObject {
public:
  TDict();
  // Clears, the set mirror lists too: free the dictionary before its
  // mirror lists, or unset them first.
  ~TDict() override;

  int Count() const { return FCount; }

  // Copies up to 81 units, with a terminator when shorter; units after the
  // terminator keep what they held.
  void SetTitle(const WideString& Text);
  WideString GetTitle() const;
  // An empty text is ignored. With ResizeFont set an LF goes in front of the
  // text (the large answer font); then stored like the title, 161 units.
  void SetDescription(const WideString& Text);
  // The description without one leading LF.
  WideString GetDescription() const;
  // The stored description asks for the large answer font.
  bool HasResizeFont() const;
  bool ResizeFont() const { return FResizeFont; }
  void SetResizeFont(bool Value) { FResizeFont = Value; }

  // Appends a copy as entry Count, then a row to each set mirror list.
  void Add(const TQuestionRecord& Entry);
  // Index must lie in 0..Count-1, else EListError "List index out of
  // bounds (%d)" before anything changes.
  void Get(int Index, TQuestionRecord& Entry) const;
  void Put(int Index, const TQuestionRecord& Entry);
  void Delete(int Index);
  // Empties both set mirror lists and the entries; title, description,
  // FileName and ResizeFont stay.
  void Clear();

  // Column 0 the question, 1..4 that answer, -1 the non-empty answers
  // joined by Separator, anything else empty.
  WideString ItemText(int Column, int Index) const;
  WideString ItemText(int Column, const TQuestionRecord& Entry) const;
  // ItemText(Column) of every entry in index order.
  TOwned<TVsWideStringList> ColumnList(int Column) const;

  // Orders the entries by question, ignoring case by the user locale
  // (unstable quicksort), then refills the set mirror lists.
  void Sort();

  // A missing file clears the entries and nothing else. Otherwise FileName
  // becomes Path and title and description start empty; a file of 0 bytes
  // is an empty dictionary, and any size other than 484 + 810 * N raises
  // EReadError. On any failure the dictionary is left cleared.
  void LoadFromFile(const AnsiString& Path);
  // Writes a new file beside the old one and puts it in the old one's place
  // only when it is complete, so a failed save keeps the previous file.
  // Failures raise the stream errors (EFCreateError, EWriteError).
  void SaveToFile(const AnsiString& Path) const;
  // Only for a path ending in ".txt" (case-sensitive): replaces the entries
  // by the lines of a tab-separated text file, UTF-16LE after FF FE or else
  // system code page text. Lines that do not fit an entry are dropped.
  // Failures to read raise EInOutError; the dictionary is then cleared.
  void ImportFromFile(const AnsiString& Path);

  TVsWideStrings* QuestionsList() const { return FQuestionsList; }
  void SetQuestionsList(TVsWideStrings* Value) { FQuestionsList = Value; }
  TVsWideStrings* AnswersList() const { return FAnswersList; }
  void SetAnswersList(TVsWideStrings* Value) { FAnswersList = Value; }
  const WideString& Separator() const { return FSeparator; }
  const AnsiString& FileName() const { return FFileName; }

private:
  TDictNode* NodeAt(int Index) const;
  void ResetHeader();
  void RefillMirror(TVsWideStrings* List, int Column) const;
  void BeginMirrorUpdate();
  void EndMirrorUpdate();
  void ReadDicFile(const AnsiString& Path);
  void ImportLines(const WideString& Text);

  int FCount = 0;
  WideChar FTitle[DictTitleSize];
  WideChar FDescription[DictDescriptionSize];
  std::unique_ptr<TDictNode> FFirst;
  TDictNode* FLast = nullptr;
  TVsWideStrings* FQuestionsList = nullptr;
  TVsWideStrings* FAnswersList = nullptr;
  WideString FSeparator = L", ";
  AnsiString FFileName;
  bool FResizeFont = false;
};

// The result file's name for a user: the MD5 digest of the name's bytes as
// 32 upper-case hexadecimal digits.
AnsiString UserFileName(const AnsiString& Name);

// Bytes of a result record, and the longest dictionary name it holds.
constexpr int ResultRecordBytes = 168;
constexpr int ResultNameSize = 150;

// The current user and the memory image of its result file, which lies
// beside the executable under UserFileName(name). "noname" (and an empty
// name) is no user: it never gets a result file.
//
// Several copies of the trainer may keep the same user: a save takes the
// file for itself (waiting a while for another copy's save), adds the
// records made here since the last save to what the file holds then, and
// puts the new file in place only once it is complete. A file whose size
// is not whole records is damaged: its whole records count, and before it
// is ever rewritten it is kept as it was beside itself, "<file>.bak".
class TDUser : public TObject {
public:
  explicit TDUser(const AnsiString& AName);
  // Saves pending results. A failure cannot be raised from here; it goes to
  // the framework's exception hook. Call Save first to handle it yourself.
  ~TDUser() override;

  // Adds the records made since the last save to the user's file, or after
  // ClearResults replaces the file by them; Results then holds the file.
  // For "noname" only forgets that anything changed. A file that cannot be
  // read, or stays held by another program, raises EFOpenError (EReadError,
  // EFCreateError for the writing) and keeps the change pending; nothing is
  // then written.
  void Save();
  // Saves the previous user, then loads the named user's results (empty
  // without a file). The name is cut to 255 characters first. When the file
  // cannot be read, the stream error is raised and the current user, its
  // name and results stay as they were.
  void SelectUser(const AnsiString& AName);
  // Renames the current user (empty gives "noname"), then saves, so pending
  // results go to the new name's file.
  void SetName(const AnsiString& AName);
  // Moves OldName's result file to NewName's when OldName has one and
  // NewName, a real user name, has none. Name follows only for the current
  // user and only when the move succeeded. True on success.
  bool RenameUser(const AnsiString& OldName, const AnsiString& NewName);
  // Deletes the user's result file when there is one; when that was the
  // current user, Name becomes "noname". True when a file was deleted.
  bool DeleteUser(const AnsiString& AName);
  // Empty results: the next Save clears the file, also of what another copy
  // stored in it meanwhile.
  void ClearResults();
  // Appends a record: the dictionary name cut to 150 characters, now, good
  // and total. Does not save.
  void AddResult(const AnsiString& DictionaryName, Integer Good, Integer Total);

  // The dictionary names of all records in file order, each once (names
  // that differ only in case count as one; the first spelling stays).
  TOwned<TStringList> TestedDictionaries() const;
  // "[date] good/total = percent %" for each record of exactly that
  // dictionary name with a total of at least 1, in file order.
  TOwned<TStringList> Grades(const AnsiString& DictionaryName) const;

  // The label shows Name from now on; not owned.
  void SetLabel(TLabel* Value);

  const AnsiString& Name() const { return FName; }
  TMemoryStream* Results() const { return FResults.get(); }
  TLabel* NameLabel() const { return FNameLabel; }
  bool Dirty() const { return FDirty; }
  // Where the damaged file of the current user was kept as it was.
  const AnsiString& DamagedCopy() const { return FDamagedCopy; }

  // Runs once per user when its result file turns out damaged, after its
  // whole records were taken and the file was kept as DamagedCopy.
  TNotifyEvent OnResultsDamaged;

private:
  void ShowName();
  void SetResults(const AnsiString& Records);
  void ReportDamage(const AnsiString& Path);

  TOwned<TMemoryStream> FResults;
  AnsiString FName = "noname";
  TLabel* FNameLabel = nullptr;
  bool FDirty = false;
  // The records added since the last save, for the next one to add to what
  // the file then holds.
  AnsiString FPending;
  // ClearResults came after the last save: the next one starts from nothing.
  bool FCleared = false;
  AnsiString FDamagedCopy;
  bool FDamageReported = false;
};
