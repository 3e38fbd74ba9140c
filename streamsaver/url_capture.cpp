#include "streamsaver/url_capture.h"

#include <cerrno>
#include <new>
#include <string>

#include "streamsaver/containers.h"
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

// A muxer that refuses a stream in its header says so with one of these.
bool IsStreamRefusal(int averror) {
  return averror == AVERROR(EINVAL) || averror == AVERROR(ENOSYS) ||
         averror == AVERROR_PATCHWELCOME;
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
                               const std::atomic<bool>* cancelStart, SourceHeaders headers) {
  if (file == nullptr) return STREAMSAVER_E_POINTER;
  m_headers = std::move(headers);
  const std::u16string_view fileName(file);

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
  m_address = SourceAddress(url);
  const std::string& address = m_address;
  std::string failedCall;
  if (!IsWindowsMediaAddress(url)) {
    if (pAsf->Load(address, av_find_input_format("asf"), m_policy.StallUs(), &failedCall, m_headers) >= 0)
      return STREAMSAVER_S_OK;
    pAsf = SourceFilter::Create(pGB->Interrupt());
    if (!pAsf) return Fail(STREAMSAVER_E_OUTOFMEMORY, "avformat_alloc_context()");
  }
  const int r = pAsf->Load(address, nullptr, m_policy.StallUs(), &failedCall, m_headers);
  return Check(r, failedCall);
}

HResult URLCapture::ChooseWriter(std::u16string_view file) {
  const std::string path = ToUtf8(file);
  pFileWritter.reset(new (std::nothrow) FileWriter);
  if (!pFileWritter) return Fail(STREAMSAVER_E_OUTOFMEMORY, "new FileWriter");
  const char* container = ContainerFor(file);
  if (std::string_view(container) == "asf") {
    return Check(pFileWritter->CreateMuxer(container, path),
                 "avformat_alloc_output_context2(&pFileWritter, NULL, \"asf\", wFile)");
  }
  return Check(Multiplexer::Create(container, path, &pAVIMux),
               std::string("avformat_alloc_output_context2(&pAVIMux, NULL, \"") + container +
                   "\", wFile)");
}

HResult URLCapture::SetFileName(std::u16string_view file) {
  const HResult hr = Check(pFileWritter->SetFileName(ToUtf8(file)),
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
    if (!Recordable(source->streams[i]->codecpar)) continue;
    const HResult hr = RenderStream(source->streams[i]);
    if (Failed(hr)) return hr;
    pGB->streamMap[i] = static_cast<int>(Output()->nb_streams) - 1;
  }
  // AVI's master is stream 0; elsewhere the first video stream leads.
  pGB->masterStream = 0;
  if (!IsAvi(Output()->oformat)) {
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
  std::string refusal;
  if (!Carries(output->oformat, in->codecpar, &refusal))
    return Fail(STREAMSAVER_E_CANNOT_RENDER, refusal);
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
  out->avg_frame_rate = in->avg_frame_rate;
  out->r_frame_rate = in->r_frame_rate;
  if (in->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && IsAvi(output->oformat)) {
    // AVI counts frames: its time base is one frame.
    AVRational rate = in->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0 || av_q2d(rate) > 1000) rate = in->r_frame_rate;
    if (rate.num > 0 && rate.den > 0 && av_q2d(rate) <= 1000) out->time_base = av_inv_q(rate);
  } else if (in->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && in->codecpar->sample_rate > 0) {
    out->time_base = AVRational{1, in->codecpar->sample_rate};
  }
  return STREAMSAVER_S_OK;
}

HResult URLCapture::Run() {
  pMC.reset(new (std::nothrow) MediaControl(*pGB, pAsf, m_address, Output(), m_policy, m_headers));
  if (!pMC) return Fail(STREAMSAVER_E_OUTOFMEMORY, "new MediaControl");
  const int header = pMC->WriteHeader();
  if (IsStreamRefusal(header))
    return Fail(STREAMSAVER_E_CANNOT_RENDER, "avformat_write_header(pOutput, &options)");
  HResult hr = Check(header, "avformat_write_header(pOutput, &options)");
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
