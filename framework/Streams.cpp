#include "Streams.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>
#include <new>

#include "Consts.h"

namespace {

constexpr Int64 MaxMemoryStreamSize = INT_MAX;

[[noreturn]] void InvalidPosition() { throw EStreamError(LoadStr(SInvalidStreamPosition)); }
[[noreturn]] void InvalidSize() { throw EStreamError(LoadStr(SInvalidStreamSize)); }

// The position a seek in a memory-held stream leads to; it must lie within
// 0..2 GB - 1 so that it always fits the int fields.
int MemoryPosition(Int64 Current, Int64 Size, Int64 Offset, TSeekOrigin Origin) {
  Int64 Base = 0;
  switch (Origin) {
    case soBeginning: Base = 0; break;
    case soCurrent: Base = Current; break;
    case soEnd: Base = Size; break;
    default: InvalidPosition();
  }
  // Both terms are then bounded, so the sum cannot overflow.
  if (Offset > MaxMemoryStreamSize || Offset < -MaxMemoryStreamSize) InvalidPosition();
  Int64 Result = Base + Offset;
  if (Result < 0 || Result > MaxMemoryStreamSize) InvalidPosition();
  return static_cast<int>(Result);
}

}  // namespace

// --- TStream ---

Int64 TStream::Size() {
  Int64 Pos = Seek(0, soCurrent);
  Int64 Result = Seek(0, soEnd);
  Seek(Pos, soBeginning);
  return Result;
}

void TStream::ReadBuffer(void* Buffer, int Count) {
  if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError(LoadStr(SReadError));
}

void TStream::WriteBuffer(const void* Buffer, int Count) {
  if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError(LoadStr(SWriteError));
}

Int64 TStream::CopyFrom(TStream* Source, Int64 Count) {
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  if (Count < 0) throw EReadError(LoadStr(SReadError));
  constexpr int BufSize = 0xF000;
  std::vector<Byte> Buffer(static_cast<size_t>(std::min<Int64>(Count, BufSize)));
  Int64 Left = Count;
  while (Left != 0) {
    int N = static_cast<int>(std::min<Int64>(Left, BufSize));
    Source->ReadBuffer(Buffer.data(), N);
    WriteBuffer(Buffer.data(), N);
    Left -= N;
  }
  return Count;
}

// --- THandleStream ---

int THandleStream::Read(void* Buffer, int Count) {
  if (Count <= 0) return 0;
  DWORD Done = 0;
  if (!ReadFile(FHandle, Buffer, static_cast<DWORD>(Count), &Done, nullptr)) return 0;
  return static_cast<int>(Done);
}

int THandleStream::Write(const void* Buffer, int Count) {
  if (Count <= 0) return 0;
  DWORD Done = 0;
  if (!WriteFile(FHandle, Buffer, static_cast<DWORD>(Count), &Done, nullptr)) return 0;
  return static_cast<int>(Done);
}

Int64 THandleStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  DWORD Method = 0;
  switch (Origin) {
    case soBeginning: Method = FILE_BEGIN; break;
    case soCurrent: Method = FILE_CURRENT; break;
    case soEnd: Method = FILE_END; break;
    default: InvalidPosition();
  }
  LONG High = static_cast<LONG>(Offset >> 32);
  SetLastError(NO_ERROR);
  DWORD Low = SetFilePointer(FHandle, static_cast<LONG>(Offset & 0xFFFFFFFF), &High, Method);
  if (Low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) throw EStreamError(LoadStr(SSeekError));
  return (static_cast<Int64>(static_cast<DWORD>(High)) << 32) | Low;
}

void THandleStream::SetSize(Int64 NewSize) {
  if (NewSize < 0) InvalidSize();
  Int64 Pos = Position();
  Seek(NewSize, soBeginning);
  bool Done = SetEndOfFile(FHandle) != 0;
  Seek(std::min(Pos, NewSize), soBeginning);
  if (!Done) throw EWriteError(LoadStr(SWriteError));
}

// --- TFileStream ---

TFileStream::TFileStream(const AnsiString& AFileName, Word Mode)
    : THandleStream(INVALID_HANDLE_VALUE), FFileName(AFileName) {
  if (Mode == fmCreate) {
    FHandle = CreateFileA(AFileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (FHandle == INVALID_HANDLE_VALUE) throw EFCreateError(FmtLoadStr(SFCreateError, AFileName));
    return;
  }
  static constexpr DWORD Access[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  // Compatibility mode shares nothing, as exclusive does.
  static constexpr DWORD Share[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
  unsigned AccessMode = Mode & 0x0003;
  unsigned ShareMode = (Mode & 0x00F0) >> 4;
  if (AccessMode < std::size(Access) && ShareMode < std::size(Share))
    FHandle = CreateFileA(AFileName.c_str(), Access[AccessMode], Share[ShareMode], nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
  if (FHandle == INVALID_HANDLE_VALUE) throw EFOpenError(FmtLoadStr(SFOpenError, AFileName));
}

TFileStream::~TFileStream() {
  if (FHandle != INVALID_HANDLE_VALUE) CloseHandle(FHandle);
}

// --- TCustomMemoryStream ---

int TCustomMemoryStream::Read(void* Buffer, int Count) {
  if (Count <= 0 || FPosition >= FSize) return 0;
  int N = std::min(Count, FSize - FPosition);
  // memmove: a stream may be loaded from itself.
  std::memmove(Buffer, static_cast<const Byte*>(FMemory) + FPosition, static_cast<size_t>(N));
  FPosition += N;
  return N;
}

Int64 TCustomMemoryStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  FPosition = MemoryPosition(FPosition, FSize, Offset, Origin);
  return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream* Stream) {
  if (FSize != 0) Stream->WriteBuffer(FMemory, FSize);
}

void TCustomMemoryStream::SaveToFile(const AnsiString& FileName) {
  TFileStream Stream(FileName, fmCreate);
  SaveToStream(&Stream);
}

void TCustomMemoryStream::SetPointer(void* Ptr, int Size) {
  FMemory = Ptr;
  FSize = Size;
}

// --- TMemoryStream ---

int TMemoryStream::Write(const void* Buffer, int Count) {
  if (Count <= 0) return 0;
  Int64 End = static_cast<Int64>(FPosition) + Count;
  if (End > Size()) SetSize(End);
  std::memmove(static_cast<Byte*>(Memory()) + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition = static_cast<int>(End);
  return Count;
}

void TMemoryStream::SetSize(Int64 NewSize) {
  if (NewSize < 0 || NewSize > MaxMemoryStreamSize) InvalidSize();
  int OldSize = static_cast<int>(Size());
  int NewLength = static_cast<int>(NewSize);
  if (NewLength > Capacity()) {
    // Grow by half again so that a run of small writes stays cheap.
    size_t Wanted = std::max<size_t>(static_cast<size_t>(NewLength), FBuffer.size() + FBuffer.size() / 2);
    try {
      FBuffer.resize(std::min<size_t>(Wanted, MaxMemoryStreamSize));
    } catch (const std::bad_alloc&) {
      throw EOutOfMemory(LoadStr(SOutOfMemory));
    }
  }
  // Memory left from an earlier, larger size must not reappear.
  if (NewLength > OldSize) std::fill(FBuffer.begin() + OldSize, FBuffer.begin() + NewLength, Byte(0));
  SetPointer(FBuffer.empty() ? nullptr : FBuffer.data(), NewLength);
  if (FPosition > NewLength) FPosition = NewLength;
}

void TMemoryStream::Clear() {
  std::vector<Byte>().swap(FBuffer);
  SetPointer(nullptr, 0);
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
  Stream->SetPosition(0);
  Int64 Count = Stream->Size();
  SetSize(Count);
  FPosition = 0;
  if (Count != 0) Stream->ReadBuffer(Memory(), static_cast<int>(Count));
}

void TMemoryStream::LoadFromFile(const AnsiString& FileName) {
  TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&Stream);
}

// --- TStringStream ---

int TStringStream::Read(void* Buffer, int Count) {
  int Size = static_cast<int>(FDataString.size());
  if (Count <= 0 || FPosition >= Size) return 0;
  int N = std::min(Count, Size - FPosition);
  std::memcpy(Buffer, FDataString.data() + FPosition, static_cast<size_t>(N));
  FPosition += N;
  return N;
}

int TStringStream::Write(const void* Buffer, int Count) {
  if (Count <= 0) return 0;
  Int64 End = static_cast<Int64>(FPosition) + Count;
  if (End > MaxMemoryStreamSize) InvalidSize();
  if (End > Size()) FDataString.resize(static_cast<size_t>(End), '\0');
  std::memmove(FDataString.data() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition = static_cast<int>(End);
  return Count;
}

Int64 TStringStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  FPosition = MemoryPosition(FPosition, Size(), Offset, Origin);
  return FPosition;
}

void TStringStream::SetSize(Int64 NewSize) {
  if (NewSize < 0 || NewSize > MaxMemoryStreamSize) InvalidSize();
  FDataString.resize(static_cast<size_t>(NewSize), '\0');
  if (FPosition > NewSize) FPosition = static_cast<int>(NewSize);
}

AnsiString TStringStream::ReadString(int Count) {
  int Size = static_cast<int>(FDataString.size());
  if (Count <= 0 || FPosition >= Size) return AnsiString();
  int N = std::min(Count, Size - FPosition);
  AnsiString Result = FDataString.substr(static_cast<size_t>(FPosition), static_cast<size_t>(N));
  FPosition += N;
  return Result;
}

void TStringStream::WriteString(const AnsiString& AString) {
  WriteBuffer(AString.data(), static_cast<int>(AString.size()));
}

// --- TResourceStream ---

TResourceStream::TResourceStream(HINSTANCE Instance, const AnsiString& ResName, const char* ResType) {
  Initialize(Instance, ResName.c_str(), ResName, ResType);
}

TResourceStream::TResourceStream(HINSTANCE Instance, int ResID, const char* ResType) {
  AnsiString Shown = std::to_string(ResID);
  // Larger numbers are no resource ids; MAKEINTRESOURCE would wrap them.
  if (ResID < 0 || ResID > 0xFFFF) throw EResNotFound(FmtLoadStr(SResNotFound, Shown));
  Initialize(Instance, MAKEINTRESOURCEA(ResID), Shown, ResType);
}

void TResourceStream::Initialize(HINSTANCE Instance, const char* Name, const AnsiString& ShownName,
                                 const char* ResType) {
  HRSRC Info = ResType ? FindResourceA(Instance, Name, ResType) : nullptr;
  HGLOBAL Data = Info ? LoadResource(Instance, Info) : nullptr;
  void* Bytes = Data ? LockResource(Data) : nullptr;
  if (!Bytes) throw EResNotFound(FmtLoadStr(SResNotFound, ShownName));
  SetPointer(Bytes, static_cast<int>(SizeofResource(Instance, Info)));
}

int TResourceStream::Write(const void*, int) {
  throw EStreamError(LoadStr(SCantWriteResourceStream));
}

void TResourceStream::SetSize(Int64) {
  throw EStreamError(LoadStr(SCantWriteResourceStream));
}
