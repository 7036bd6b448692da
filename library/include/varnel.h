/* varnel.h: searches in Varnel's directory of courts from any program, through varnel.dll.
 *
 * The library does the whole exchange with Varnel that the demo window and varnel-query
 * do: it builds the request document, makes sure Varnel runs (starting it from its
 * installation record when it is installed but not running), announces the request,
 * waits for the answer meant for this client and decodes it.
 *
 * Conventions, the same for every function:
 * - Text is UTF-16 (wchar_t), NUL-terminated, in and out.
 * - A text the library returns belongs to the library. A search's texts stay valid
 *   until the next call on the same search (or its free); varnel_version's for as long
 *   as the library is loaded. Copy what you keep. Nothing is ever freed by the caller
 *   but the search itself, with varnel_search_free.
 * - Results are plain int codes, the exit codes of varnel-query:
 *     0  VARNEL_OK            done (a run: the answer is there)
 *     1  VARNEL_NOT_INSTALLED Varnel is neither running nor installed; nothing was sent
 *     2  VARNEL_REFUSED       an unknown option or a bad value, or a request refused
 *                             before sending: not well-formed (the parser's reason and
 *                             line), longer than 8191 characters, or text the ANSI code
 *                             page cannot carry
 *     3  VARNEL_NO_ANSWER     no answer within the timeout (or no turn within it:
 *                             another client kept Varnel busy; nothing was sent)
 *     4  VARNEL_FAILED        anything else
 *   varnel_search_error gives the reason of the last failure of a search.
 * - No exception, no structure and no memory crosses the boundary. On 32-bit Windows
 *   every function is __stdcall and exported under its plain name (no "@N").
 * - Any thread may call; no message loop is needed. A run does its exchange on a thread
 *   of the library's own and the calling thread waits: the timeout is one deadline for
 *   the whole run, waiting behind other runs included (plus up to 8 seconds when Varnel
 *   has to be started). While it waits, the calling thread handles the messages sent
 *   to it and, on a single-threaded apartment, incoming COM calls; nothing posted is
 *   taken from its queue. Runs from several threads are served one at a time, in turn.
 *   One search is used by one thread at a time; different searches may be used by
 *   different threads.
 * - An open search keeps the library loaded, even after the host's FreeLibrary.
 */
#ifndef VARNEL_H
#define VARNEL_H

#include <wchar.h>

#ifdef _WIN32
#define VARNEL_CALL __stdcall
#else
#define VARNEL_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

enum {
    VARNEL_OK = 0,
    VARNEL_NOT_INSTALLED = 1,
    VARNEL_REFUSED = 2,
    VARNEL_NO_ANSWER = 3,
    VARNEL_FAILED = 4
};

/* A search: its options, and the request, answer and error of its last run. Opaque. */
typedef struct VarnelSearch VarnelSearch;

/* Makes a search with the demo window's defaults (those of varnel-query without
 * options): by address, with the window's default name, the answer sent at once, the
 * address of the body itself. NULL only when memory runs out. */
VarnelSearch* VARNEL_CALL varnel_search_new(void);

/* Frees a search and its texts, and its hold on the library. NULL is allowed and does
 * nothing. When the last search of the process is freed, the library's thread and its
 * hidden window end before this returns (from DllMain, where the loader lock is held,
 * they end by themselves soon after), so that the library can be unloaded. */
void VARNEL_CALL varnel_search_free(VarnelSearch* search);

/* Sets one option, named as varnel-query's without the dashes, with the same meaning:
 *   "by"          "address", "name", "surname" (a judge's surname) or "code"
 *   "name"        the body's name or the judge's surname
 *   "code"        the court code (14 digits)
 *   "subject", "district", "city", "settlement", "street", "index"
 *                 the address fields
 *   "defendant"   "1": the address of the defendant; "0": of the body itself
 *   "chosen"      "1": a person picks the answer in Varnel's window; "0": at once
 *   "request"     a prepared request document (the whole XML text), sent instead of
 *                 the options above; "" goes back to the options
 * Values are sent as given, without XML escaping: a "&" or "<" makes the run refuse the
 * request. A NULL value is taken as "". Returns 0, or 2 for an unknown option, a bad
 * value, or "request" together with a search option (varnel_search_error says which);
 * the search is then unchanged. 2 for a NULL search. */
int VARNEL_CALL varnel_search_set(VarnelSearch* search, const wchar_t* option, const wchar_t* value);

/* Runs the search: builds the request exactly as the demo window does (or takes the
 * prepared one and checks it the same way), makes sure Varnel runs, sends, and waits up
 * to timeoutMs milliseconds (above 0, at most 86400000) for the answer. Returns 0 to 4
 * as listed above; 2 also for a timeout out of range or a NULL search; 4 also for an
 * answer that fills Varnel's whole answer block with no NUL to end it (it may be cut),
 * when Varnel is not running and the calling process runs elevated (what the current
 * user's installation record names is then not started), when Varnel ends before it
 * answers, and when the library's thread cannot start within the timeout (a run from
 * DllMain). A chosen search waits for a person: give it minutes. */
int VARNEL_CALL varnel_search_run(VarnelSearch* search, unsigned timeoutMs);

/* The answer of the last run that returned 0: Varnel's XML document, decoded, its lines
 * separated by CR LF; the same lines varnel-query prints. After a 4 for an answer that
 * may be cut, that answer's text, to be looked into. "" otherwise. */
const wchar_t* VARNEL_CALL varnel_search_answer(const VarnelSearch* search);

/* The request document the last run built, decoded as the answer is (lines separated by
 * CR LF); it was sent when the run returned 0 or 3, or 4 for an answer that may be cut.
 * "" when it could not be built. */
const wchar_t* VARNEL_CALL varnel_search_request(const VarnelSearch* search);

/* The reason of the last failure of a call on this search, in one line: the same text
 * varnel-query prints after "varnel-query: ". "" after a call that succeeded. */
const wchar_t* VARNEL_CALL varnel_search_error(const VarnelSearch* search);

/* Starts Varnel with a command-line switch, as the demo window's page 4 does: switchName
 * "a" (a body's name), "i" (a court code) or "f" (a judge's surname) and its value give
 * "-a:value", "-i:value" or "-f:value". Returns 0 once started (after up to 2 seconds),
 * 1 when Varnel is not installed, 2 for another switch name, 4 when it could not be
 * started. */
int VARNEL_CALL varnel_launch(const wchar_t* switchName, const wchar_t* value);

/* The library's version, "major.minor.patch.build". */
const wchar_t* VARNEL_CALL varnel_version(void);

#ifdef __cplusplus
}
#endif

#endif /* VARNEL_H */
