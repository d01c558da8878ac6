// Byte streams: the abstract stream, streams over file handles and files,
// over memory, over an 8-bit string and over a module's resource.
#pragma once

#include <vector>

#include "SysUtils.h"
#include "System.h"
#include "Win.h"

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };
constexpr TSeekOrigin soFromBeginning = soBeginning;
constexpr TSeekOrigin soFromCurrent = soCurrent;
constexpr TSeekOrigin soFromEnd = soEnd;

// File open modes of TFileStream: one access mode, or-ed with one share mode.
// fmCreate creates (or empties) the file for reading and writing, exclusively.
constexpr Word fmCreate = 0xFFFF;
constexpr Word fmOpenRead = 0x0000;
constexpr Word fmOpenWrite = 0x0001;
constexpr Word fmOpenReadWrite = 0x0002;
constexpr Word fmShareCompat = 0x0000;
constexpr Word fmShareExclusive = 0x0010;
constexpr Word fmShareDenyWrite = 0x0020;
constexpr Word fmShareDenyRead = 0x0030;
constexpr Word fmShareDenyNone = 0x0040;

// A sequence of bytes with a position. Read and Write move the position by
// the bytes transferred and return how many they were (a count of 0 or less
// transfers nothing); Seek returns the new position.
class TStream : public TObject {
public:
  virtual int Read(void* Buffer, int Count) = 0;
  virtual int Write(const void* Buffer, int Count) = 0;
  virtual Int64 Seek(Int64 Offset, TSeekOrigin Origin) = 0;

  Int64 Position() { return Seek(0, soCurrent); }
  void SetPosition(Int64 Pos) { Seek(Pos, soBeginning); }
  // The default finds the size by seeking to the end and back.
  virtual Int64 Size();
  virtual void SetSize(Int64 NewSize) = 0;

  // Read or write exactly Count bytes, else EReadError "Stream read error" /
  // EWriteError "Stream write error".
  void ReadBuffer(void* Buffer, int Count);
  void WriteBuffer(const void* Buffer, int Count);
  // Copies Count bytes from Source's position; Count 0 copies all of Source
  // from its start. Returns the bytes copied.
  Int64 CopyFrom(TStream* Source, Int64 Count);
};

// A stream over a Win32 file handle that the caller owns.
class THandleStream : public TStream {
public:
  explicit THandleStream(HANDLE AHandle) : FHandle(AHandle) {}

  int Read(void* Buffer, int Count) override;
  int Write(const void* Buffer, int Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  // Moves the end of the file to NewSize; the position stays unless it lay
  // beyond the new end.
  void SetSize(Int64 NewSize) override;

  HANDLE Handle() const { return FHandle; }

protected:
  HANDLE FHandle;
};

// A stream over a file it opens itself (and closes when freed). Failure
// raises EFCreateError "Cannot create file %s" or EFOpenError "Cannot open
// file %s" with the file name as given.
class TFileStream : public THandleStream {
public:
  TFileStream(const AnsiString& AFileName, Word Mode);
  ~TFileStream() override;

  const AnsiString& FileName() const { return FFileName; }

private:
  AnsiString FFileName;
};

// A stream over a block of memory that it does not manage itself. Positions
// may lie beyond the end (reading there gives nothing); a negative position
// or one beyond 2 GB raises EStreamError.
class TCustomMemoryStream : public TStream {
public:
  int Read(void* Buffer, int Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  Int64 Size() override { return FSize; }

  void* Memory() const { return FMemory; }
  // Write the whole block, whatever the position.
  void SaveToStream(TStream* Stream);
  void SaveToFile(const AnsiString& FileName);

protected:
  // Points the stream at Size bytes at Ptr (the position is kept).
  void SetPointer(void* Ptr, int Size);
  int FPosition = 0;

private:
  void* FMemory = nullptr;
  int FSize = 0;
};

// A stream over memory of its own that grows as it is written or sized.
// Bytes added by growth read as zero.
class TMemoryStream : public TCustomMemoryStream {
public:
  int Write(const void* Buffer, int Count) override;
  // A negative size or one beyond 2 GB raises EStreamError.
  void SetSize(Int64 NewSize) override;

  // Empties the stream and releases its memory.
  void Clear();
  // Replace the contents with the whole of Stream (from its start) or of the
  // file; the position becomes 0.
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const AnsiString& FileName);

  int Capacity() const { return static_cast<int>(FBuffer.size()); }

private:
  std::vector<Byte> FBuffer;
};

// A stream over an 8-bit string. Writing overwrites at the position and
// extends the string as needed.
class TStringStream : public TStream {
public:
  explicit TStringStream(const AnsiString& AString = AnsiString()) : FDataString(AString) {}

  int Read(void* Buffer, int Count) override;
  int Write(const void* Buffer, int Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  Int64 Size() override { return static_cast<Int64>(FDataString.size()); }
  void SetSize(Int64 NewSize) override;

  // Up to Count bytes from the position (fewer at the end).
  AnsiString ReadString(int Count);
  void WriteString(const AnsiString& AString);
  const AnsiString& DataString() const { return FDataString; }

private:
  AnsiString FDataString;
  int FPosition = 0;
};

// A read-only stream over a resource of a module. A missing resource raises
// EResNotFound "Resource %s not found"; writing or sizing raises EStreamError
// "Can't write to a read-only resource stream".
class TResourceStream : public TCustomMemoryStream {
public:
  TResourceStream(HINSTANCE Instance, const AnsiString& ResName, const char* ResType);
  TResourceStream(HINSTANCE Instance, int ResID, const char* ResType);

  int Write(const void* Buffer, int Count) override;
  void SetSize(Int64 NewSize) override;

private:
  void Initialize(HINSTANCE Instance, const char* Name, const AnsiString& ShownName, const char* ResType);
};
