#include "streamsaver/url_capture.h"

#include <new>
#include <string>

#include "streamsaver/text.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace vantrel {

namespace {

// Reports a failed FFmpeg call and gives its code.
HResult Check(int averror, std::string_view call) {
  if (averror >= 0) return STREAMSAVER_S_OK;
  const HResult hr = HResultFromAvError(averror);
  ReportFailure(hr, call);
  return hr;
}

HResult Fail(HResult hr, std::string_view call) {
  ReportFailure(hr, call);
  return hr;
}

bool IsWindowsMediaAddress(std::u16string_view url) {
  return HasExtension(url, u".wmv") || HasExtension(url, u".wma");
}

bool IsWindowsMediaFile(std::u16string_view file) {
  return HasExtension(file, u".wmv") || HasExtension(file, u".wma") ||
         HasExtension(file, u".asf");
}

}  // namespace

URLCapture::~URLCapture() {
  if (pMC) pMC->Stop();
  pMC.reset();
  pAsf.reset();
  pAVIMux.reset();
  pFileWritter.reset();
  pGB.reset();
}

HResult URLCapture::BuildGraph(std::u16string_view url, const char16_t* file,
                               const std::atomic<bool>* cancelStart) {
  if (file == nullptr) return STREAMSAVER_E_POINTER;
  const std::u16string_view fileName(file);
  if (url.size() >= kUrlUnits)
    return Fail(STREAMSAVER_E_NAME_TOO_LONG, "CopyName(wURL, url, 2600)");
  if (fileName.size() >= kFileUnits)
    return Fail(STREAMSAVER_E_NAME_TOO_LONG, "CopyName(wFile, file, 260)");

  HResult hr = CreateGraph(cancelStart);
  if (Failed(hr)) return hr;
  hr = ChooseSource(url);
  if (Failed(hr)) return hr;
  hr = ChooseWriter(fileName);
  if (Failed(hr)) return hr;
  const HResult result = SetFileName(fileName);
  if (Failed(result)) return result;
  hr = RenderStreams();
  if (Failed(hr)) return hr;
  hr = Run();
  if (Failed(hr)) return hr;
  return result;
}

HResult URLCapture::CreateGraph(const std::atomic<bool>* cancelStart) {
  pGB.reset(new (std::nothrow) CaptureGraph(cancelStart));
  if (!pGB) return Fail(STREAMSAVER_E_OUTOFMEMORY, "new CaptureGraph(cancelStart)");
  return STREAMSAVER_S_OK;
}

// Windows Media addresses are probed; any other is tried as ASF first and probed when the ASF
// demuxer refuses it. That refusal is expected for most streams and is not reported.
HResult URLCapture::ChooseSource(std::u16string_view url) {
  pAsf = SourceFilter::Create(pGB->Interrupt());
  if (!pAsf) return Fail(STREAMSAVER_E_OUTOFMEMORY, "avformat_alloc_context()");
  const std::string address = SourceAddress(url);
  std::string failedCall;
  if (!IsWindowsMediaAddress(url)) {
    if (pAsf->Load(address, av_find_input_format("asf"), &failedCall) >= 0)
      return STREAMSAVER_S_OK;
    pAsf = SourceFilter::Create(pGB->Interrupt());
    if (!pAsf) return Fail(STREAMSAVER_E_OUTOFMEMORY, "avformat_alloc_context()");
  }
  const int r = pAsf->Load(address, nullptr, &failedCall);
  return Check(r, failedCall);
}

HResult URLCapture::ChooseWriter(std::u16string_view file) {
  const std::string path = Utf16ToUtf8(file);
  pFileWritter.reset(new (std::nothrow) FileWriter);
  if (!pFileWritter) return Fail(STREAMSAVER_E_OUTOFMEMORY, "new FileWriter");
  if (IsWindowsMediaFile(file)) {
    return Check(pFileWritter->CreateMuxer("asf", path),
                 "avformat_alloc_output_context2(&pFileWritter, NULL, \"asf\", wFile)");
  }
  const HResult hr = Check(Multiplexer::Create("avi", path, &pAVIMux),
                           "avformat_alloc_output_context2(&pAVIMux, NULL, \"avi\", wFile)");
  // Stream 0 is the master: its first key frame is the recording's time zero.
  pGB->masterStream = 0;
  return hr;
}

HResult URLCapture::SetFileName(std::u16string_view file) {
  const HResult hr = Check(pFileWritter->SetFileName(Utf16ToUtf8(file)),
                           "avio_open2(&pFileWritter, wFile \".part\", AVIO_FLAG_WRITE)");
  if (!Failed(hr)) Output()->pb = pFileWritter->File();
  return hr;
}

// Every audio and video stream goes into the file; streams of other kinds are not media the
// player could use (subtitles, data) and are left out rather than fail the capture.
HResult URLCapture::RenderStreams() {
  AVFormatContext* source = pAsf->Context();
  pGB->streamMap.assign(source->nb_streams, -1);
  for (unsigned i = 0; i < source->nb_streams; ++i) {
    const AVCodecParameters* par = source->streams[i]->codecpar;
    const bool media = par->codec_type == AVMEDIA_TYPE_AUDIO ||
                       par->codec_type == AVMEDIA_TYPE_VIDEO;
    if (!media || par->codec_id == AV_CODEC_ID_NONE) continue;
    const HResult hr = RenderStream(source->streams[i]);
    if (Failed(hr)) return hr;
    pGB->streamMap[i] = static_cast<int>(Output()->nb_streams) - 1;
  }
  // Without a multiplexer there is no master stream: the first video stream leads.
  if (!pAVIMux) {
    pGB->masterStream = 0;
    for (unsigned i = 0; i < Output()->nb_streams; ++i) {
      if (Output()->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
        pGB->masterStream = static_cast<int>(i);
        break;
      }
    }
  }
  return STREAMSAVER_S_OK;
}

HResult URLCapture::RenderStream(AVStream* in) {
  AVFormatContext* output = Output();
  const AVCodecID codec = in->codecpar->codec_id;
  if (avformat_query_codec(output->oformat, codec, FF_COMPLIANCE_NORMAL) == 0) {
    return Fail(STREAMSAVER_E_CANNOT_RENDER, std::string("avformat_query_codec(") +
                                                 output->oformat->name + ", " +
                                                 avcodec_get_name(codec) +
                                                 ", FF_COMPLIANCE_NORMAL)");
  }
  AVStream* out = avformat_new_stream(output, nullptr);
  if (out == nullptr) return Fail(STREAMSAVER_E_OUTOFMEMORY, "avformat_new_stream(pOutput, NULL)");
  HResult hr = Check(avcodec_parameters_copy(out->codecpar, in->codecpar),
                     "avcodec_parameters_copy(pOut->codecpar, pIn->codecpar)");
  if (Failed(hr)) return hr;
  // The container chooses its own tag for the codec.
  out->codecpar->codec_tag = 0;
  av_dict_copy(&out->metadata, in->metadata, 0);
  out->disposition = in->disposition;
  out->time_base = in->time_base;
  if (in->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
    // AVI counts frames: its time base is one frame.
    AVRational rate = in->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0 || av_q2d(rate) > 1000) rate = in->r_frame_rate;
    if (rate.num > 0 && rate.den > 0 && av_q2d(rate) <= 1000) out->time_base = av_inv_q(rate);
    out->avg_frame_rate = in->avg_frame_rate;
    out->r_frame_rate = in->r_frame_rate;
  } else if (in->codecpar->sample_rate > 0) {
    out->time_base = AVRational{1, in->codecpar->sample_rate};
  }
  return STREAMSAVER_S_OK;
}

HResult URLCapture::Run() {
  pMC.reset(new (std::nothrow) MediaControl(*pGB, pAsf->Context(), Output()));
  if (!pMC) return Fail(STREAMSAVER_E_OUTOFMEMORY, "new MediaControl");
  HResult hr = Check(pMC->WriteHeader(), "avformat_write_header(pOutput, NULL)");
  if (Failed(hr)) return hr;
  if (!pMC->StartPump()) return Fail(STREAMSAVER_E_OUTOFMEMORY, "std::thread(MediaControl::Pump)");
  // The file takes its name only now; should that fail, the destructor stops the pump and
  // removes the part file.
  return Check(pFileWritter->Commit(), "rename(wFile \".part\", wFile)");
}

AVFormatContext* URLCapture::Output() const {
  return pAVIMux ? pAVIMux->Context() : pFileWritter->Muxer();
}

}  // namespace vantrel
