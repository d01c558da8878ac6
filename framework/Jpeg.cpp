#include "Jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Consts.h"
#include "Streams.h"

#include <jerror.h>
#include <jpeglib.h>

namespace {

// libjpeg is C: its frames have no unwind tables, so no exception may pass
// through them. Errors jump back to the decoder below, which holds nothing
// with a destructor; the exception is raised only after it returns.
struct TJpegErrorManager {
  jpeg_error_mgr Pub;
  std::jmp_buf Jump;
};

void ErrorExit(j_common_ptr Info) {
  std::longjmp(reinterpret_cast<TJpegErrorManager*>(Info->err)->Jump, 1);
}

void EmitMessage(j_common_ptr Info, int Level) {
  // A file that ends early would otherwise load with its missing part grey.
  if (Level < 0 && Info->err->msg_code == JWRN_JPEG_EOF) ErrorExit(Info);
}

void OutputMessage(j_common_ptr) {}

struct TJpegJob {
  const unsigned char* Data;
  unsigned long Size;
  // Results: bottom-up 24-bit rows padded to 4 bytes (malloc'd), or the
  // libjpeg message code of the failure.
  unsigned char* Pixels;
  int Width;
  int Height;
  int ErrorCode;
  // Work state, kept here (not in locals) so that it survives the jump.
  jpeg_decompress_struct Info;
  TJpegErrorManager Error;
  unsigned char* Row;
};

void CmykToBgr(const unsigned char* Src, unsigned char* Dst, int Width, bool Inverted) {
  for (int X = 0; X < Width; ++X, Src += 4, Dst += 3) {
    int C = Src[0], M = Src[1], Y = Src[2], K = Src[3];
    if (!Inverted) {
      C = 255 - C;
      M = 255 - M;
      Y = 255 - Y;
      K = 255 - K;
    }
    Dst[0] = static_cast<unsigned char>(Y * K / 255);
    Dst[1] = static_cast<unsigned char>(M * K / 255);
    Dst[2] = static_cast<unsigned char>(C * K / 255);
  }
}

// Returns true on success; on failure Job->ErrorCode holds the message code.
bool Decode(TJpegJob* Job) {
  Job->Pixels = nullptr;
  Job->Row = nullptr;
  Job->Info.err = jpeg_std_error(&Job->Error.Pub);
  Job->Error.Pub.error_exit = ErrorExit;
  Job->Error.Pub.emit_message = EmitMessage;
  Job->Error.Pub.output_message = OutputMessage;
  if (setjmp(Job->Error.Jump)) {
    Job->ErrorCode = Job->Error.Pub.msg_code;
    jpeg_destroy_decompress(&Job->Info);
    std::free(Job->Pixels);
    std::free(Job->Row);
    Job->Pixels = nullptr;
    Job->Row = nullptr;
    return false;
  }
  jpeg_create_decompress(&Job->Info);
  jpeg_mem_src(&Job->Info, Job->Data, Job->Size);
  jpeg_read_header(&Job->Info, TRUE);
  bool Cmyk = Job->Info.jpeg_color_space == JCS_CMYK || Job->Info.jpeg_color_space == JCS_YCCK;
  Job->Info.out_color_space = Cmyk ? JCS_CMYK : JCS_EXT_BGR;
  jpeg_start_decompress(&Job->Info);
  Job->Width = static_cast<int>(Job->Info.output_width);
  Job->Height = static_cast<int>(Job->Info.output_height);
  std::size_t Stride = (static_cast<std::size_t>(Job->Width) * 3 + 3) & ~static_cast<std::size_t>(3);
  if (static_cast<unsigned long long>(Stride) * Job->Height > 0x10000000ull) {
    Job->Error.Pub.msg_code = JERR_IMAGE_TOO_BIG;
    ErrorExit(reinterpret_cast<j_common_ptr>(&Job->Info));
  }
  Job->Pixels = static_cast<unsigned char*>(std::calloc(Stride * Job->Height, 1));
  Job->Row = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(Job->Width) * 4));
  if (!Job->Pixels || !Job->Row) {
    Job->Error.Pub.msg_code = JERR_OUT_OF_MEMORY;
    ErrorExit(reinterpret_cast<j_common_ptr>(&Job->Info));
  }
  // Adobe writes CMYK inverted.
  bool Inverted = Job->Info.saw_Adobe_marker;
  while (Job->Info.output_scanline < Job->Info.output_height) {
    unsigned char* Dst = Job->Pixels + Stride * (Job->Height - 1 - static_cast<int>(Job->Info.output_scanline));
    JSAMPROW Rows[1] = {Cmyk ? Job->Row : Dst};
    jpeg_read_scanlines(&Job->Info, Rows, 1);
    if (Cmyk) CmykToBgr(Job->Row, Dst, Job->Width, Inverted);
  }
  jpeg_finish_decompress(&Job->Info);
  jpeg_destroy_decompress(&Job->Info);
  std::free(Job->Row);
  Job->Row = nullptr;
  return true;
}

// Frees the decoder's pixel buffer when the scope ends.
struct TPixelsGuard {
  unsigned char* Pixels;
  ~TPixelsGuard() { std::free(Pixels); }
};

}  // namespace

TJPEGImage::TJPEGImage() : FBitmap(new TBitmap) {}
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::Assign(TPersistent* Source) {
  if (!Source) {
    FData.clear();
    FBitmap->Assign(nullptr);
    Changed(this);
    return;
  }
  if (auto* J = dynamic_cast<TJPEGImage*>(Source)) {
    if (J == this) return;
    FData = J->FData;
    FBitmap->Assign(J->FBitmap.get());
    Changed(this);
    return;
  }
  TGraphic::Assign(Source);
}

void TJPEGImage::Draw(TCanvas* Canvas, const TRect& R) { FBitmap->Draw(Canvas, R); }

void TJPEGImage::SetWidth(int Value) {
  if (Value != Width()) throw EInvalidGraphicOperation(LoadStr(SJPEGSizeFixed));
}

void TJPEGImage::SetHeight(int Value) {
  if (Value != Height()) throw EInvalidGraphicOperation(LoadStr(SJPEGSizeFixed));
}

void TJPEGImage::LoadFromBytes(std::vector<Byte> Data) {
  TJpegJob Job{};
  Job.Data = Data.data();
  Job.Size = static_cast<unsigned long>(Data.size());
  Progress(this, psStarting, 0, false, TRect{}, AnsiString());
  if (!Decode(&Job)) {
    throw EJPEG(FmtLoadStr(SJPEGError, Job.ErrorCode));
  }
  TPixelsGuard Guard{Job.Pixels};
  TOwned<TBitmap> Bitmap(new TBitmap);
  Bitmap->SetPixelFormat(pf24bit);
  Bitmap->SetSize(Job.Width, Job.Height);
  std::size_t Stride = (static_cast<std::size_t>(Job.Width) * 3 + 3) & ~static_cast<std::size_t>(3);
  for (int Y = 0; Y < Job.Height; ++Y)
    std::memcpy(Bitmap->ScanLine(Y), Job.Pixels + Stride * (Job.Height - 1 - Y), static_cast<std::size_t>(Job.Width) * 3);
  FBitmap = std::move(Bitmap);
  FData = std::move(Data);
  // Decoded whole: the picture is worth showing now.
  Progress(this, psEnding, 100, true, Rect(0, 0, Job.Width, Job.Height), AnsiString());
  Changed(this);
}

void TJPEGImage::LoadFromStream(TStream* Stream) {
  Int64 Size = Stream->Size() - Stream->Position();
  if (Size <= 0 || Size > 0x10000000) throw EJPEG(FmtLoadStr(SJPEGError, static_cast<int>(JERR_INPUT_EMPTY)));
  std::vector<Byte> Data(static_cast<std::size_t>(Size));
  Stream->ReadBuffer(Data.data(), static_cast<int>(Size));
  LoadFromBytes(std::move(Data));
}

void TJPEGImage::SaveToStream(TStream* Stream) {
  if (!FData.empty()) Stream->WriteBuffer(FData.data(), static_cast<int>(FData.size()));
}

void TJPEGImage::ReadData(TStream* Stream) {
  Byte SizeBytes[4];
  if (Stream->Read(SizeBytes, sizeof(SizeBytes)) != sizeof(SizeBytes))
    throw EJPEG(FmtLoadStr(SJPEGError, static_cast<int>(JERR_INPUT_EOF)));
  std::uint32_t Size = SizeBytes[0] | (SizeBytes[1] << 8) | (SizeBytes[2] << 16) | (static_cast<std::uint32_t>(SizeBytes[3]) << 24);
  if (Size == 0) {
    Assign(nullptr);
    return;
  }
  if (Size > static_cast<std::uint64_t>(Stream->Size() - Stream->Position()))
    throw EJPEG(FmtLoadStr(SJPEGError, static_cast<int>(JERR_INPUT_EOF)));
  std::vector<Byte> Data(Size);
  Stream->ReadBuffer(Data.data(), static_cast<int>(Size));
  LoadFromBytes(std::move(Data));
}

void TJPEGImage::WriteData(TStream* Stream) {
  std::uint32_t Size = static_cast<std::uint32_t>(FData.size());
  Byte SizeBytes[4] = {static_cast<Byte>(Size), static_cast<Byte>(Size >> 8), static_cast<Byte>(Size >> 16),
                       static_cast<Byte>(Size >> 24)};
  Stream->WriteBuffer(SizeBytes, sizeof(SizeBytes));
  SaveToStream(Stream);
}
