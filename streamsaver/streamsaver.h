/*
 * libstreamsaver: records network media streams into local files without playing them.
 *
 * One capture per source address. A capture reads the source with FFmpeg's libavformat and copies
 * its audio and video packets unchanged (no decoding, no encoding) into a file whose container
 * follows the output name's ending, in any letter case:
 *     ".mkv"                    Matroska
 *     ".ts"                     MPEG-TS
 *     ".mp4"                    fragmented MP4 (an empty "moov", then a fragment from each video
 *                               key frame, or each second for sound alone), so a file cut off
 *                               by a crash or a full disk plays up to its last fragment
 *     ".asf", ".wmv", ".wma"    ASF (Windows Media)
 *     anything else             AVI
 * Every packet is handed to the file system as soon as it is written. The library keeps its
 * captures in one process-wide table keyed by the exact address string, whatever its length.
 *
 * A live source (one that cannot seek, or has no known length) that breaks off is reopened and
 * recorded on into the same file: a read error, an end of stream, or 15 s without data count as
 * breaking off. Attempts follow at once, then after 0.25 s, 0.5 s, 1 s and every 2 s, for at most
 * 60 s of outage (a source reopened that ends again before anything of it was written does not
 * end the outage); then the file is finished. The timestamps of each stream go on right after the
 * last ones written (the outage itself is not in the file), the new part starting at a key frame.
 * A source that comes back with other streams (another count, codec, picture size, sample rate
 * or channel count) ends the recording there, the file finished with what it had. A source that
 * is a file, not live, ends the recording at its end. Giving up and other streams each write
 * one line (below). For tests, the environment variables VANTREL_STREAMSAVER_OUTAGE_MS and
 * VANTREL_STREAMSAVER_STALL_MS, read at each start, shorten the 60 s and the 15 s (positive
 * milliseconds; larger values are ignored).
 *
 * Strings: null-terminated UTF-16. The library copies what it keeps; the caller's strings need to
 * live only for the duration of the call. Addresses are handed to FFmpeg as UTF-8; an address of
 * the form "scheme://..." has its blanks and non-ASCII characters sent as UTF-8 %XX escapes, and
 * "mms://" is read as "mmsh://" (MMS over HTTP). FFmpeg's HTTP client sends no more than the
 * first 4095 bytes of an address's path and query, for the player as for a recording. Output
 * paths are file-system paths in UTF-8.
 *
 * Threads: every export may be called from any thread. The calls are serialised inside the
 * library: a call waits until the one before it has returned. Each running capture owns one
 * thread of its own, the packet pump, which reads the source and writes the file.
 *
 * Results are 32-bit HRESULT-style codes: negative means failure. See "Result codes" below.
 * Every failing step of a start writes exactly one line to standard error,
 *     FAILED(hr=0x<code in lower-case hex>) in <the call that failed>
 * and nothing else is told to the caller beyond the returned code. A running capture that ends
 * by itself writes one such line too: the last failed reconnect attempt after the outage limit
 * (e.g. "... in avformat_open_input(&pAsf, wURL, av_find_input_format(\"mpegts\"), &options)"),
 * "... in MatchStreams(pAsf, pOutput)" for a source back with other streams, or the write that
 * failed (e.g. a full disk). The library never changes FFmpeg's process-wide logging: FFmpeg's
 * own messages go wherever the process routes them.
 */
#ifndef VANTREL_STREAMSAVER_STREAMSAVER_H
#define VANTREL_STREAMSAVER_STREAMSAVER_H

#include <stdint.h>
#ifndef __cplusplus
#include <uchar.h>
#endif

#if defined(_WIN32)
#  define STREAMSAVER_CALL __stdcall
#  ifdef STREAMSAVER_BUILDING
#    define STREAMSAVER_API __declspec(dllexport)
#  else
#    define STREAMSAVER_API __declspec(dllimport)
#  endif
#else
#  define STREAMSAVER_CALL
#  define STREAMSAVER_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* A moment in local time, laid out as the Windows SYSTEMTIME. wDayOfWeek: 0 = Sunday. */
typedef struct CaptureTime {
  uint16_t wYear;
  uint16_t wMonth;
  uint16_t wDayOfWeek;
  uint16_t wDay;
  uint16_t wHour;
  uint16_t wMinute;
  uint16_t wSecond;
  uint16_t wMilliseconds;
} CaptureTime;

/*
 * Result codes.
 *
 * Codes of the library itself:
 *   0                  STREAMSAVER_S_OK             done
 *   1                  STREAMSAVER_S_FALSE          start: this address is already being recorded
 *                                                   (nothing was done); stop: nothing to stop
 *   0x80004003         STREAMSAVER_E_POINTER        null output path (or null address)
 *   0x80040218         STREAMSAVER_E_CANNOT_RENDER  a source stream the output container cannot
 *                                                   carry so that players read it back: HEVC,
 *                                                   VP9, AV1 or Opus into AVI, a codec MPEG-TS
 *                                                   has no stream type for (e.g. WMV into ".ts"),
 *                                                   one FFmpeg's muxer does not know for the
 *                                                   container (e.g. WMV into ".mp4"), or one its
 *                                                   header refuses. Nothing is written. Also the
 *                                                   line of a reopened source whose streams
 *                                                   differ from the file's.
 *
 * FFmpeg results (AVERROR codes) map as follows:
 *   >= 0                              0 (S_OK)
 *   AVERROR(ENOMEM)                   0x8007000E  STREAMSAVER_E_OUTOFMEMORY
 *   AVERROR(EINVAL)                   0x80070057  STREAMSAVER_E_INVALIDARG
 *   AVERROR_EXIT                      0x80004004  STREAMSAVER_E_ABORT: a stop-all interrupted
 *                                                 the start
 *   any other AVERROR(e), errno e     0xA0EE0000 | e, STREAMSAVER_E_ERRNO(e); e.g. connection
 *                                                 refused (ECONNREFUSED, 111) is 0xA0EE006F
 *   AVERROR_HTTP_BAD_REQUEST,         0xA0EF0000 | status, STREAMSAVER_E_HTTP(status), status
 *   _UNAUTHORIZED, _FORBIDDEN,                    400, 401, 403, 404; 499 for another 4xx
 *   _NOT_FOUND, _OTHER_4XX,                       answer, 500 for a 5xx answer
 *   _SERVER_ERROR
 *   AVERROR_INVALIDDATA,              0x80040265  STREAMSAVER_E_UNSUPPORTED_STREAM: not a media
 *   AVERROR_DEMUXER_NOT_FOUND,                    stream FFmpeg can read
 *   AVERROR_STREAM_NOT_FOUND
 *   AVERROR_PROTOCOL_NOT_FOUND        0x800C000D  STREAMSAVER_E_UNKNOWN_PROTOCOL
 *   AVERROR_EOF                       0x80070026  STREAMSAVER_E_HANDLE_EOF
 *   anything else                     0x80004005  STREAMSAVER_E_FAIL
 */
#define STREAMSAVER_S_OK ((int32_t)0)
#define STREAMSAVER_S_FALSE ((int32_t)1)
#define STREAMSAVER_E_POINTER ((int32_t)0x80004003u)
#define STREAMSAVER_E_ABORT ((int32_t)0x80004004u)
#define STREAMSAVER_E_FAIL ((int32_t)0x80004005u)
#define STREAMSAVER_E_OUTOFMEMORY ((int32_t)0x8007000Eu)
#define STREAMSAVER_E_HANDLE_EOF ((int32_t)0x80070026u)
#define STREAMSAVER_E_INVALIDARG ((int32_t)0x80070057u)
#define STREAMSAVER_E_CANNOT_RENDER ((int32_t)0x80040218u)
#define STREAMSAVER_E_UNSUPPORTED_STREAM ((int32_t)0x80040265u)
#define STREAMSAVER_E_UNKNOWN_PROTOCOL ((int32_t)0x800C000Du)
#define STREAMSAVER_E_ERRNO(e) ((int32_t)(0xA0EE0000u | ((uint32_t)(e)&0xFFFFu)))
#define STREAMSAVER_E_HTTP(status) ((int32_t)(0xA0EF0000u | ((uint32_t)(status)&0xFFFFu)))

/*
 * Starts recording `url` into the file `file`.
 *
 * Returns STREAMSAVER_S_FALSE (1) when a capture of exactly this address (case-sensitive, code
 * unit by code unit) is already in the table; that capture is left alone. Otherwise builds and
 * runs the capture:
 *   - the source: an address whose last four characters are ".wmv" or ".wma" (any letter case)
 *     is opened with format probing; any other is first opened as ASF, and when that is refused,
 *     opened again with probing (the refusal is not reported);
 *   - the writer: the container by the output name's ending (above). In AVI stream 0 is the
 *     master stream (the recording's time zero is stream 0's first key frame); in the other
 *     containers the first video stream is, or stream 0 when there is no video;
 *   - the file is created as "<file>.part" and takes the name `file` only once the header has
 *     been written, so a failed start never touches a file already at `file`; its result is the
 *     success result (0);
 *   - every audio and video stream of the source is copied; other streams (subtitles, data) are
 *     left out; a stream the container cannot carry fails the start (STREAMSAVER_E_CANNOT_RENDER);
 *   - finally the header is written and the packet pump thread started.
 * The recording starts at each stream's first key frame. Its timestamps start at zero and only
 * go forward, however far into its own timeline a live source is, and across the source's
 * discontinuities (a jump back, or forward by more than 10 s, is closed up) and reconnects.
 * Addresses and output paths may be of any length the network and the file system accept.
 *
 * On success the capture is in the table, `time` (when not null) receives the local time, and
 * the result is 0. On failure (negative result) one line went to standard error, the table is as
 * before, no thread runs and no file is left behind (nor the ".part").
 *
 * Blocks until the source is connected and probed (about a second for a live stream). Network
 * reads time out after 15 s without data. A concurrent StopCaptureAllSources interrupts a start
 * that is waiting on the network; the start then returns STREAMSAVER_E_ABORT.
 * Cost: one network connection (two when an address is first tried as ASF), one thread, and
 * memory of a few MB per capture (probe buffer, muxer queue and the AVI index).
 */
STREAMSAVER_API int32_t STREAMSAVER_CALL StartCaptureSource(const char16_t* url,
                                                            const char16_t* file,
                                                            CaptureTime* time);

/*
 * StartCaptureSource with what the source's HTTP requests carry beside the address: `userAgent`
 * is sent as the User-Agent header and `referrer` as the Referer header, with the first
 * connection, the ASF attempt and the probing one, and every reconnect alike. A null or empty
 * string sends nothing of its own (FFmpeg's default user agent, no Referer). Other protocols
 * ignore both. A value holding a control character (a line break would start a header of its
 * own) is refused with STREAMSAVER_E_INVALIDARG before anything is done, with its one line:
 *     FAILED(hr=0x80070057) in HeaderValue(userAgent, referrer)
 * Everything else, the table's key included (the address alone), is as StartCaptureSource.
 */
STREAMSAVER_API int32_t STREAMSAVER_CALL StartCaptureSourceWithHeaders(const char16_t* url,
                                                                       const char16_t* file,
                                                                       const char16_t* userAgent,
                                                                       const char16_t* referrer,
                                                                       CaptureTime* time);

/*
 * Stops the capture of exactly `url` and finishes its file (trailer and index written, file
 * closed). Returns STREAMSAVER_S_FALSE (1) when no such capture is in the table, else 0 after
 * filling `time` (when not null) with the local time at which the stop began.
 *
 * A capture that ended by itself (a file source at its end, a live source away for longer than
 * the outage limit, or back with other streams) has already finished its file; it stays in the
 * table until it is stopped. Blocks until the pump thread has ended and the file is closed:
 * neither a stalled network nor a wait between reconnect attempts holds it up; reads and
 * connects are interrupted within about 100 ms.
 */
STREAMSAVER_API int32_t STREAMSAVER_CALL StopCaptureSource(const char16_t* url, CaptureTime* time);

/*
 * Stops every capture, in ascending order of address, and empties the table. Returns
 * STREAMSAVER_S_FALSE (1) when the table was empty, else 0 after filling `time` (when not null).
 * Also interrupts a start still waiting on the network. Call it before the process ends; should
 * the library be unloaded with captures still running, they are stopped and their files
 * finished then.
 */
STREAMSAVER_API int32_t STREAMSAVER_CALL StopCaptureAllSources(CaptureTime* time);

#ifdef __cplusplus
}
#endif

#endif
