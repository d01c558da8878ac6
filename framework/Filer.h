// Form layouts: the filer that DefineProperties talks to, the reader of the
// binary form stream, the converter from the text layout syntax to that
// stream, and the loading of a form's layout from the executable's
// resources.
//
// The binary form stream: "TPF0", then one object: an optional flags byte
// (0xF0 | flags), the class name and the object name as short strings (a
// length byte and the bytes), its properties (each a property path as a
// short string and one value), a 0 byte, its children (objects again) and a
// 0 byte. A value is a TValueType byte and its data, little-endian.
//
// The text syntax ("object Name: TClass" ... "end", "inherited" and "inline"
// alike; property assignments "Name = value", dotted names "Font.Style"):
//   integers 12, -3, $1F (up to 8 hex digits are a 32-bit pattern: $FF00000F)
//   floats 1.5, 1.5E3
//   strings 'it''s' #13#10 'Za'#380'ó', joined across lines by +;
//     a string with a #code above 255 or a character outside ASCII is
//     UTF-16 (its #codes are UTF-16 units); otherwise it is 8-bit text and
//     its #codes are bytes of the system code page. Layout files are UTF-8.
//   identifiers: enumeration values, True/False, nil, colour and cursor
//     names, handler names, component references (Edit1, FMain.Edit1)
//   sets [fsBold, fsItalic], lists ( 'a' 'b' ), binary data { 0A1B ... },
//   collections < item Width = 10 end item end >
#pragma once

#include <functional>
#include <vector>

#include "Classes.h"
#include "SysUtils.h"
#include "System.h"
#include "TypInfo.h"

class TStream;
class TCollection;
class TReader;

// A layout that cannot be parsed: the message starts with "Line %d: ".
FRAMEWORK_EXCEPTION(EParserError, EReadError)

// The value tags of the binary form stream.
enum TValueType {
  vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent, vaFalse, vaTrue, vaBinary, vaSet,
  vaLString, vaNil, vaCollection, vaSingle, vaCurrency, vaDate, vaWString, vaInt64, vaUTF8String
};

// Flags of an object header.
enum TFilerFlag { ffInherited, ffChildPos, ffInline };
using TFilerFlags = TSet<TFilerFlag>;

using TReaderProc = std::function<void(TReader* Reader)>;
using TWriterProc = std::function<void(TFiler* Writer)>;
using TStreamProc = std::function<void(TStream* Stream)>;

// What an object's DefineProperties declares its own layout data through.
// Layouts are only read at run time: the write procedures are accepted so
// that a class states both directions in one place, but nothing calls them.
class TFiler : public TObject {
public:
  explicit TFiler(TStream* AStream) : FStream(AStream) {}

  TStream* Stream() const { return FStream; }
  // The component whose layout is being read.
  TComponent* Root() const { return FRoot; }
  // Layouts are read without an ancestor to compare against.
  TPersistent* Ancestor() const { return nullptr; }

  // Data the object reads itself from values of the stream (ReadInteger,
  // ReadListBegin...).
  virtual void DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc WriteData,
                              bool HasData) = 0;
  // Binary data ({ ... } in text): ReadData gets a stream holding just the
  // bytes, positioned at its start.
  virtual void DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc WriteData,
                                    bool HasData) = 0;

protected:
  TStream* FStream;
  TComponent* FRoot = nullptr;
};

// Where the objects and properties of a text layout start in the binary
// stream made from it, so that errors can name the line.
struct TLayoutLine {
  Int64 Offset;
  int Line;
};
using TLayoutLines = std::vector<TLayoutLine>;

// Whether an error while reading a property may be skipped (OnError sets
// Handled to go on with the next property).
using TReaderError = TMethodPtr<void(TReader* Reader, const AnsiString& Message, bool& Handled)>;

// Reads a binary form stream into components. Every component read has
// csLoading and csReading while it is read; once the whole tree is read,
// component references are resolved, the root's component fields set, and
// Loaded() called on each component in the order they were created. An
// error names the layout line ("Line 12: ...") when the layout was text, or
// the stream offset otherwise; components created up to then stay owned.
class TReader : public TFiler {
public:
  explicit TReader(TStream* AStream) : TFiler(AStream) {}

  void ReadRootComponent(TComponent* ARoot);
  // The properties of Instance, then its children (created with
  // Instance->GetChildOwner(), or the root, as owner).
  void ReadData(TComponent* Instance);
  // One property: through the replaceable property reader (see
  // SetPropertyReader), by default DefaultReadProperty.
  void ReadProperty(TPersistent* Instance);
  // Reads a property path and its value: dotted paths walk published
  // class-typed properties; a last element that is not published is offered
  // to the object's DefineProperties; else EReadError "Property %s does not
  // exist". Errors are raised as EReadError "Error reading %s.%s: %s".
  void DefaultReadProperty(TPersistent* Instance);
  void ReadPropValue(TPersistent* Instance, const TPropInfo* PropInfo);
  void ReadCollection(TCollection* Collection);
  // Skips the value and raises "Property %s does not exist".
  [[noreturn]] void PropertyError(const AnsiString& Name);

  // The property reader all readers use. A replacement gets the reader
  // positioned at a property's path and must consume the path and value.
  using TPropertyReader = void (*)(TReader* Reader, TPersistent* Instance);
  // Installs Proc (nullptr: the default) and returns the previous one.
  static TPropertyReader SetPropertyReader(TPropertyReader Proc);

  // Values.
  void ReadSignature();
  // An object header's flags; the child position when ffChildPos is set.
  void ReadPrefix(TFilerFlags& Flags, int& ChildPos);
  TValueType NextValue();
  TValueType ReadValue();
  // Raises "Invalid property value" (after skipping it) unless the next
  // value has that type.
  void CheckValue(TValueType Value);
  bool EndOfList();
  void ReadListBegin();
  void ReadListEnd();
  int ReadInteger();
  Int64 ReadInt64();
  bool ReadBoolean();
  char ReadChar();
  WideChar ReadWideChar();
  double ReadFloat();
  // 8-bit or UTF-16 text; the other width is converted through the system
  // code page (UTF-8 values are decoded).
  AnsiString ReadString();
  WideString ReadWideString();
  // An identifier; False, True and nil read as their names.
  AnsiString ReadIdent();
  // A short string (length byte and bytes), as property paths are stored.
  AnsiString ReadStr();
  // The raw bytes of the stream.
  void Read(void* Buffer, int Count);
  void SkipValue();
  // Records the stream position as the place an error of the property or
  // item read next names (the layout line, or the offset).
  void MarkItem();

  // The last element of the property path being read; DefineProperty clears
  // it when it takes the property.
  const AnsiString& PropName() const { return FPropName; }
  void SetPropName(const AnsiString& Value) { FPropName = Value; }
  bool CanHandleExceptions() const { return FCanHandleExceptions; }
  void SetCanHandleExceptions(bool Value) { FCanHandleExceptions = Value; }
  // Asks OnError whether the error may be skipped.
  bool Error(const AnsiString& Message);
  TReaderError OnError;

  // The owner and parent given to the children being read.
  TComponent* Owner() const { return FOwner; }
  TComponent* Parent() const { return FParent; }

  // Lines of the text this stream was converted from.
  void SetLayoutLines(TLayoutLines Lines) { FLines = std::move(Lines); }

  void DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
  void DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

private:
  struct TFixup {
    TObject* Instance;
    const TPropInfo* Prop;
    AnsiString Path;
    AnsiString Where;
    Int64 Offset;
  };

  void ReadComponent();
  void SkipBytes(Int64 Count);
  void SkipSetBody();
  void SkipCollectionBody();
  std::vector<AnsiString> ReadSetNames();
  [[noreturn]] void ValueError();
  [[noreturn]] void FormatError(const AnsiString& Message);
  void ReadIntegerProp(TPersistent* Instance, const TPropInfo* PropInfo);
  void ReadClassProp(TPersistent* Instance, const TPropInfo* PropInfo);
  void ReadMethodProp(TPersistent* Instance, const TPropInfo* PropInfo);
  TComponent* FindReference(const AnsiString& Path) const;
  void ResolveFixups();
  void SetFields();
  AnsiString Location(Int64 Offset) const;
  void EndLoadingOnError();

  // One more level of nested objects, lists or collections for as long as
  // it lives; beyond the limit the stream is refused as damaged.
  class TNesting {
  public:
    explicit TNesting(TReader& Reader);
    ~TNesting() { --FReader.FDepth; }
    TNesting(const TNesting&) = delete;
    TNesting& operator=(const TNesting&) = delete;

  private:
    TReader& FReader;
  };
  int FDepth = 0;

  AnsiString FPropName;
  bool FCanHandleExceptions = true;
  bool FFormatBroken = false;
  // The root's name in the layout, which its own references use.
  AnsiString FRootName;
  TComponent* FOwner = nullptr;
  TComponent* FParent = nullptr;
  std::vector<TComponent*> FLoaded;
  std::vector<TFixup> FFixups;
  TLayoutLines FLines;
  Int64 FStart = 0;
  Int64 FItemOffset = -1;
};

// Converts a text layout (from Text's position to its end) into the binary
// form stream, written at Binary's position. Syntax errors raise
// EParserError naming the line.
void ObjectTextToBinary(TStream* Text, TStream* Binary);
// The same, recording where each object and property starts.
void ObjectTextToBinary(TStream* Text, TStream* Binary, TLayoutLines& Lines);

// Reads a layout, text or binary (told apart by the signature), from the
// stream's position into Instance.
void ReadComponentLayout(TStream* Stream, TComponent* Instance);
// Reads the RCDATA resource ResName of the executable into Instance; a
// missing resource raises EResNotFound.
TComponent* ReadComponentRes(const AnsiString& ResName, TComponent* Instance);
// Reads the layout of Instance's class, the RCDATA resource named after the
// class in upper case ("TFMAIN"), into Instance. False when there is none.
bool InitInheritedComponent(TComponent* Instance);
