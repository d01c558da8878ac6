#include "VsFrameworkUtils.h"

#include <algorithm>
#include <memory>

#include "Streams.h"
#include "TypInfo.h"

namespace {

std::unique_ptr<TMemoryStream> GVsReaderStream;
TOwned<TVsReader> GVsReader;
TReader::TPropertyReader GPreviousReader = nullptr;
bool GReaderInstalled = false;

// DefineProperties is protected; this names it through a class that makes
// it public.
struct TDefineAccess : TPersistent {
  using TPersistent::DefineProperties;
};

void CallDefineProperties(TPersistent* Instance, TReader* Reader) {
  (Instance->*(&TDefineAccess::DefineProperties))(Reader);
}

// Errors inside DefineProperties are never skipped by OnError (the value may
// be half read); the flag comes back however the call ends.
class TNoErrorHandling {
public:
  explicit TNoErrorHandling(TReader* AReader) : FReader(AReader), FSaved(AReader->CanHandleExceptions()) {
    FReader->SetCanHandleExceptions(false);
  }
  ~TNoErrorHandling() { FReader->SetCanHandleExceptions(FSaved); }
  TNoErrorHandling(const TNoErrorHandling&) = delete;
  TNoErrorHandling& operator=(const TNoErrorHandling&) = delete;

private:
  TReader* FReader;
  bool FSaved;
};

AnsiString Describe(TPersistent* Instance) {
  auto* Component = dynamic_cast<TComponent*>(Instance);
  if (Component && !Component->Name().empty()) return Component->Name();
  return Instance->ClassName();
}

// --- skipping values ---

[[noreturn]] void InvalidValue(TReader* Reader, Int64 Start) {
  Reader->Stream()->SetPosition(Start);
  throw EReadError("Invalid property value");
}

Byte PeekByte(TReader* Reader) {
  Byte B;
  Reader->Read(&B, 1);
  Reader->Stream()->Seek(-1, soCurrent);
  return B;
}

void SkipCount(TReader* Reader, Int64 Count, Int64 Start) {
  TStream* S = Reader->Stream();
  if (Count < 0 || Count > S->Size() - S->Position()) InvalidValue(Reader, Start);
  Byte Buffer[256];
  while (Count > 0) {
    const int N = static_cast<int>(std::min<Int64>(Count, sizeof Buffer));
    Reader->Read(Buffer, N);
    Count -= N;
  }
}

std::int32_t ReadLength(TReader* Reader) {
  Byte B[4];
  Reader->Read(B, 4);
  return static_cast<std::int32_t>(B[0] | (B[1] << 8) | (B[2] << 16) | (static_cast<std::uint32_t>(B[3]) << 24));
}

void SkipShortString(TReader* Reader, Int64 Start) {
  Byte Length;
  Reader->Read(&Length, 1);
  SkipCount(Reader, Length, Start);
}

bool AtEndMarker(TReader* Reader) { return PeekByte(Reader) == vaNull; }

void SkipEndMarker(TReader* Reader, Int64 Start) {
  if (PeekByte(Reader) != vaNull) InvalidValue(Reader, Start);
  Reader->Stream()->Seek(1, soCurrent);
}

}  // namespace

void SkipStreamValue(TReader* Reader) {
  TStream* S = Reader->Stream();
  const Int64 Start = S->Position();
  Byte Tag;
  Reader->Read(&Tag, 1);
  if (Tag > vaUTF8String) InvalidValue(Reader, Start);
  switch (static_cast<TValueType>(Tag)) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
      return;
    case vaList:
      while (!AtEndMarker(Reader)) SkipStreamValue(Reader);
      return SkipEndMarker(Reader, Start);
    case vaInt8: return SkipCount(Reader, 1, Start);
    case vaInt16: return SkipCount(Reader, 2, Start);
    case vaInt32:
    case vaSingle: return SkipCount(Reader, 4, Start);
    case vaExtended: return SkipCount(Reader, 10, Start);
    case vaCurrency:
    case vaDate:
    case vaInt64: return SkipCount(Reader, 8, Start);
    case vaString:
    case vaIdent: return SkipShortString(Reader, Start);
    case vaSet: {
      Byte Length;
      do {
        Reader->Read(&Length, 1);
        SkipCount(Reader, Length, Start);
      } while (Length != 0);
      return;
    }
    case vaBinary:
    case vaLString:
    case vaUTF8String: {
      const std::int32_t Length = ReadLength(Reader);
      return SkipCount(Reader, Length, Start);
    }
    case vaWString: {
      const std::int32_t Length = ReadLength(Reader);
      return SkipCount(Reader, static_cast<Int64>(Length) * 2, Start);
    }
    case vaCollection:
      while (!AtEndMarker(Reader)) {
        const Byte Order = PeekByte(Reader);
        if (Order == vaInt8 || Order == vaInt16 || Order == vaInt32) SkipStreamValue(Reader);
        if (PeekByte(Reader) != vaList) InvalidValue(Reader, Start);
        S->Seek(1, soCurrent);
        while (!AtEndMarker(Reader)) {
          SkipShortString(Reader, Start);
          SkipStreamValue(Reader);
        }
        SkipEndMarker(Reader, Start);
      }
      return SkipEndMarker(Reader, Start);
  }
}

void TVsReader::SkipBoolean(TReader* Reader) { Reader->ReadBoolean(); }

TVsReader* GetVsReader() {
  if (!GVsReader) {
    GVsReaderStream = std::make_unique<TMemoryStream>();
    GVsReader.reset(new TVsReader(GVsReaderStream.get()));
  }
  return GVsReader.get();
}

void PatchedReadProperty(TReader* Reader, TPersistent* AInstance) {
  TStream* S = Reader->Stream();
  const Int64 Start = S->Position();
  // Walk the path; anything but a stop at an unpublished element (and any
  // damage to the stream) is the framework's to read and to report.
  AnsiString Path;
  AnsiString Element;
  TPersistent* Instance = AInstance;
  bool Stopped = false;
  try {
    Path = Reader->ReadStr();
    size_t From = 0;
    for (size_t Dot; (Dot = Path.find('.', From)) != AnsiString::npos; From = Dot + 1) {
      Element = Path.substr(From, Dot - From);
      const TPropInfo* P = GetPropInfo(Instance, Element);
      if (!P) {
        Stopped = true;
        break;
      }
      auto* Next = P->Kind() == tkClass ? dynamic_cast<TPersistent*>(GetObjectProp(Instance, P)) : nullptr;
      if (!Next) break;
      Instance = Next;
    }
  } catch (const Exception&) {
    Stopped = false;
  }
  if (!Stopped) {
    S->SetPosition(Start);
    Reader->DefaultReadProperty(AInstance);
    return;
  }

  S->SetPosition(Start);
  Reader->MarkItem();
  S->SetPosition(Start + 1 + static_cast<Int64>(Path.size()));
  // A value half read by DefineProperties, or a stream too damaged to skip
  // the value, cannot be stepped over.
  bool Recoverable = true;
  try {
    try {
      for (const AnsiString& Name : {Path, Element}) {
        Reader->SetPropName(Name);
        TNoErrorHandling Guard(Reader);
        try {
          CallDefineProperties(Instance, Reader);
        } catch (...) {
          Recoverable = false;
          throw;
        }
        if (Reader->PropName().empty()) return;
      }
      const AnsiString Missing = Reader->PropName();
      Recoverable = false;
      SkipStreamValue(Reader);
      Recoverable = true;
      throw EReadError("Property " + Missing + " does not exist");
    } catch (const Exception& E) {
      throw EReadError("Error reading " + Describe(AInstance) + "." + Path + ": " + E.Message());
    }
  } catch (const Exception& E) {
    if (!Recoverable || !Reader->CanHandleExceptions() || !Reader->Error(E.Message())) throw;
  }
}

void InitializeVsFrameworkUtils() {
  if (GReaderInstalled) return;
  GPreviousReader = TReader::SetPropertyReader(PatchedReadProperty);
  GReaderInstalled = true;
}

void FinalizeVsFrameworkUtils() {
  if (GReaderInstalled) TReader::SetPropertyReader(GPreviousReader);
  GReaderInstalled = false;
  GPreviousReader = nullptr;
  GVsReader.reset();
  GVsReaderStream.reset();
}
