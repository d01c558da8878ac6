// The typed settings store: a tree of keys holding keys and named, typed
// values, kept in memory and stored as an ini-style text file or a binary
// file, or kept directly in the Windows registry.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "Classes.h"
#include "Lists.h"
#include "Registry.h"
#include "SysUtils.h"
#include "System.h"
#include "VsList.h"
#include "Win.h"

class TStream;

// The refusals of registry mode and damaged settings data.
FRAMEWORK_EXCEPTION(EVsIniError, Exception)

enum TVsIniValueType : Byte {
  ivtNone = 0, ivtBoolean = 1, ivtInteger = 2, ivtString = 3, ivtMultiString = 4, ivtBinary = 5, ivtFloat = 6
};

enum TRegRootType {
  rrtUnknown, rrtHKEY_CLASSES_ROOT, rrtHKEY_CURRENT_USER, rrtHKEY_LOCAL_MACHINE, rrtHKEY_USERS, rrtHKEY_CURRENT_CONFIG
};

// One node of the tree: a key, a value, or (when a value was opened as a key)
// both. Its children list owns the child entries.
class TVsIniEntry : public TObject {
public:
  TVsIniEntry(TVsIniEntry* AParent, const AnsiString& AName, bool AIsKey);
  ~TVsIniEntry() override;

  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& Value);
  bool IsKey() const { return FIsKey; }
  void SetIsKey(bool Value) { FIsKey = Value; }
  TVsIniEntry* Parent() const { return FParent; }

  TVsIniValueType ValueType() const { return FValueType; }
  // Frees what the value owns; the type becomes none.
  void ClearValue();
  bool AsBoolean() const { return FBoolean; }
  Integer AsInteger() const { return FInteger; }
  const AnsiString& AsString() const { return FString; }
  // nullptr unless the value is a MultiString.
  TStringList* AsMultiString() const { return FMultiString.get(); }
  const std::vector<Byte>& AsBinary() const { return FBinary; }
  double AsFloat() const { return FFloat; }
  // Each replaces the value and sets its type.
  void SetBoolean(bool Value);
  void SetInteger(Integer Value);
  void SetString(const AnsiString& Value);
  // An empty list, for the elements to be added to.
  TStringList* SetMultiString();
  void SetBinary(const void* Buffer, int Size);
  void SetFloat(double Value);
  // Gives the entry the type with its empty value (0, false, "", no lines,
  // no bytes).
  void SetEmptyValue(TVsIniValueType Type);

  int ChildCount() const { return FChildren.Count(); }
  TVsIniEntry* Child(int Index) const { return static_cast<TVsIniEntry*>(FChildren.Items(Index)); }
  // The first child, key or value, whose name equals Name ignoring ASCII case
  // and surrounding blanks; nullptr when there is none.
  TVsIniEntry* FindChild(const AnsiString& AName) const;
  TVsIniEntry* AddChild(const AnsiString& AName, bool AIsKey);
  // Frees the child and everything below it.
  void DeleteChild(TVsIniEntry* AChild);
  void ClearChildren();
  // True when this entry is Entry or lies below it.
  bool IsWithin(const TVsIniEntry* Entry) const;

private:
  void ChildDeleted(TObject* Sender, void* Item);
  // Moves the children out of the list into Into, without freeing them.
  void TakeChildren(std::vector<TVsIniEntry*>& Into);
  // The child no longer answers to the name Key in the index.
  void Unindex(TVsIniEntry* AChild, const AnsiString& Key);

  TVsList FChildren;
  // The first child of each name (in FindChild's form), so that finding a
  // child does not take longer the more siblings it has.
  std::unordered_map<AnsiString, TVsIniEntry*> FIndex;
  // Whether two children share a name (only the first is in the index).
  bool FSharedNames = false;
  bool FIsKey;
  TVsIniEntry* FParent;
  TVsIniValueType FValueType = ivtNone;
  bool FBoolean = false;
  Integer FInteger = 0;
  AnsiString FString;
  std::unique_ptr<TStringList> FMultiString;
  std::vector<Byte> FBinary;
  double FFloat = 0;
  AnsiString FName;
};

// Keys are named by paths of names joined by Delimiter; a path that starts
// with it is absolute, any other is relative to the current key. Every
// operation taking a Key works there (an empty Key is the current key) and
// leaves the current key as it was; readers and writers report by their
// result and raise nothing.
class TVsIniFile : public TComponent {
public:
  explicit TVsIniFile(TComponent* AOwner);
  ~TVsIniFile() override;
  // Saves a modified store with LazyWrite (errors swallowed).
  void BeforeDestruction() override;

  // Keys nest at most 1000 levels deep: a path going deeper fails.
  bool OpenKey(const AnsiString& APath, bool CanCreate);
  bool KeyExists(const AnsiString& Key);
  // The number of child keys; -1 when the key does not exist.
  int SubKeysCount(const AnsiString& Key);
  // The names of the child keys / values; List is cleared first.
  void EnumSubKeys(const AnsiString& Key, TStrings* List);
  void EnumValues(const AnsiString& Key, TStrings* List);
  // ivtNone when absent. In registry mode an empty Name takes the last
  // element of Key as the value's name.
  TVsIniValueType GetValueType(const AnsiString& Key, const AnsiString& Name);
  // The value Name under Key; with an empty Name the key itself (nullptr for
  // the root). Not in registry mode.
  virtual TVsIniEntry* GetValueEntry(const AnsiString& Key, const AnsiString& Name);
  // The value Name under Key (created with its key) with type none. Not in
  // registry mode.
  TVsIniEntry* CreateValue(const AnsiString& Key, const AnsiString& Name);
  virtual void SetValueType(const AnsiString& Key, const AnsiString& Name, TVsIniValueType Type);

  // True when the value was found and delivered; else false with Default.
  bool ReadBool(const AnsiString& Key, const AnsiString& Name, bool& Value, bool Default);
  bool ReadInteger(const AnsiString& Key, const AnsiString& Name, Integer& Value, Integer Default);
  bool ReadFloat(const AnsiString& Key, const AnsiString& Name, double& Value, double Default);
  bool ReadString(const AnsiString& Key, const AnsiString& Name, AnsiString& Value, const AnsiString& Default);
  bool ReadMultiString(const AnsiString& Key, const AnsiString& Name, TStrings* List);
  // Size below the value's size: Size becomes that size and the result is
  // false (ask again with a buffer that large); else the bytes are copied.
  bool ReadBinary(const AnsiString& Key, const AnsiString& Name, int& Size, void* Buffer);

  // Store the value under Name in Key (created), replacing what was there.
  // Simple mode stores no Booleans, binary data or string lists (false).
  bool WriteBool(const AnsiString& Key, const AnsiString& Name, bool Value);
  bool WriteInteger(const AnsiString& Key, const AnsiString& Name, Integer Value);
  bool WriteString(const AnsiString& Key, const AnsiString& Name, const AnsiString& Value);
  bool WriteFloat(const AnsiString& Key, const AnsiString& Name, double Value);
  bool WriteMultiString(const AnsiString& Key, const AnsiString& Name, TStrings* List);
  bool WriteBinary(const AnsiString& Key, const AnsiString& Name, int Size, const void* Buffer);
  // Copies the value Name of Key, with its type, to DestKey (both relative
  // to the current key).
  bool CopyValue(const AnsiString& Key, const AnsiString& Name, const AnsiString& DestKey);

  // The value Name of Key, or with an empty Name the key itself with
  // everything below it (never the root). A current key that goes with it
  // gives way to the removed key's parent.
  bool Delete(const AnsiString& Key, const AnsiString& Name);
  // Removes every child of the key (not of the root: false).
  virtual bool ClearKey(const AnsiString& Key);
  // Empties the tree; the root becomes current. Not in registry mode.
  void Clear();
  virtual bool RenameKey(const AnsiString& Key, const AnsiString& NewName);
  virtual bool RenameValue(const AnsiString& Key, const AnsiString& Name, const AnsiString& NewName);

  // From / to the file Path (false without one or in registry mode). A
  // damaged file, or one nesting keys too deeply, raises EVsIniError and
  // leaves the store as it was; a loaded store is not modified. Save writes
  // "<Path>.tmp" and puts it in the file's place once complete.
  bool Load();
  bool Save();
  // The same formats on a stream, from its position; nothing in registry
  // mode. Saving leaves Modified alone.
  void LoadFromStream(TStream* Stream);
  void SaveToStream(TStream* Stream);

  const AnsiString& CurrentPath() const { return FCurrentPath; }
  bool Modified() const { return FModified; }

  bool BinaryMode() const { return FBinaryMode; }
  void SetBinaryMode(bool Value) { FBinaryMode = Value; }
  const AnsiString& Comment() const { return FComment; }
  void SetComment(const AnsiString& Value) { FComment = Value; }
  AnsiChar Delimiter() const { return FDelimiter; }
  void SetDelimiter(AnsiChar Value);
  AnsiChar DivChar() const { return FDivChar; }
  void SetDivChar(AnsiChar Value) { FDivChar = Value; }
  bool LazyWrite() const { return FLazyWrite; }
  void SetLazyWrite(bool Value);
  const AnsiString& Path() const { return FPath; }
  void SetPath(const AnsiString& Value);
  bool Simple() const { return FSimple; }
  void SetSimple(bool Value);
  TRegRootType RegRoot() const;
  void SetRegRoot(TRegRootType Value);
  bool UseRegistry() const { return FRegistry != nullptr; }
  void SetUseRegistry(bool Value);
  const AnsiString& WarningMessage() const { return FWarningMessage; }
  void SetWarningMessage(const AnsiString& Value) { FWarningMessage = Value; }
  bool TrimSpaces() const { return FTrimSpaces; }
  void SetTrimSpaces(bool Value) { FTrimSpaces = Value; }

  TNotifyEvent OnBeforeSave;
  TNotifyEvent OnAfterLoad;
  TNotifyEvent OnBeforeLoad;
  TNotifyEvent OnAfterSave;

protected:
  // Splits a text line into name and value (see the text format); a line
  // without DivChar is named "#" and its line number.
  virtual void ParseLine(const AnsiString& Line, int LineNumber, AnsiString& Name, AnsiString& Value);
  virtual void DoBeforeSave();
  virtual void DoAfterLoad();
  virtual void DoBeforeLoad();
  virtual void DoAfterSave();
  // Loads Path once the component has been read from a layout.
  void Loaded() override;

private:
  // Tree mode.
  bool WalkKey(const AnsiString& APath, bool CanCreate, TVsIniEntry*& Entry, AnsiString& EntryPath);
  TVsIniEntry* FindKey(const AnsiString& Key, bool CanCreate);
  TVsIniEntry* FindValue(const AnsiString& Key, const AnsiString& Name);
  // The entry Name under Key (created), its value cleared, for a writer.
  TVsIniEntry* ValueForWrite(const AnsiString& Key, const AnsiString& Name);
  AnsiString PathOf(const TVsIniEntry* Entry) const;
  AnsiString StoredPathOf(const TVsIniEntry* Entry) const;
  void SetCurrent(TVsIniEntry* Entry);
  void RemoveEntry(TVsIniEntry* Entry);
  // Modified, and saved at once without LazyWrite; false when that save failed.
  bool Changed();

  void ReadText(TStream* Stream);
  void ReadBinaryStream(TStream* Stream);
  void WriteText(TStream* Stream, const TVsIniEntry* Entry);
  void WriteBinaryStream(TStream* Stream, const TVsIniEntry* Entry);

  // Registry mode.
  bool RegOpenKey(const AnsiString& APath, bool CanCreate);
  // Back to the key at SavedPath, or to the nearest one above it that still exists.
  void RegRestore(const AnsiString& SavedPath);
  bool RegQuery(const AnsiString& Name, DWORD& Type, std::vector<Byte>& Data);
  bool RegSet(const AnsiString& Name, DWORD Type, const void* Data, DWORD Size);
  bool RegClearCurrent();
  [[noreturn]] void RegistryError(const char* Message) const;

  // Runs Body with Key opened (created when CanCreate) and the previous key
  // restored after; false when the key does not open.
  template <class F> bool InRegKey(const AnsiString& Key, bool CanCreate, F&& Body);

  bool FBinaryMode = false;
  AnsiString FComment = ";";
  AnsiChar FDelimiter = '\\';
  AnsiChar FDivChar = '=';
  bool FLazyWrite = true;
  AnsiString FPath;
  bool FSimple = false;
  HKEY FRegRootKey = HKEY_CURRENT_USER;
  AnsiString FWarningMessage = "Automatically generated file. DO NOT MODIFY!!!";
  bool FTrimSpaces = false;

  std::unique_ptr<TVsIniEntry> FRoot;
  TVsIniEntry* FCurrent;
  AnsiString FCurrentPath;
  bool FModified = false;
  TOwned<TRegistry> FRegistry;
};

// Registers TVsIniFile and its published properties for layouts.
void InitializeVsIni();
