// The words of every message, status and prompt of the core: each id maps
// to its English source text here, marked for lupdate, which extracts them
// into the catalogue (i18n/snpln_ru.ts). Both edges render what these
// return; nothing else holds a message's words.
#pragma once

#include <string>
#include <vector>

#include "batch/batch_host.h"
#include "batch/run_outcome.h"
#include "batch/selection_state.h"
#include "batch/status.h"
#include "engine/code_page.h"
#include "i18n/phrase.h"
#include "job/job_report.h"
#include "job/message.h"

namespace snpln::i18n {

// The code page names of the messages: "''Dos''", "''Win1251''",
// "''Koi8''", "''Iso''", "''UTF-8''"; a recoding's source piece names KOI8-R
// "''Koi''".
const char *codingName(engine::CodePage page);
const char *sourceCodingName(engine::CodePage page);

// A message alone (no name), with the system's reason after ": " where it
// carries one. EmptyExclude gives its first line.
Phrase messageText(const job::Message &message);
// The system's words for its error number (strerror, in the locale's
// language).
Phrase systemReason(int systemError);

// The two lines of a message window.
struct Lines {
  Phrase line1;
  Phrase line2;
};
// A message of the run under `name` (a list entry or directory; empty for
// none): the name over the message, or the message's own two lines.
Lines messageLines(const std::string &name, const job::Message &message);
// A job's end as its window shows it: the success lines of its operation,
// or the path over the message; a dry run, and a recoding that sent
// characters to a fill byte, the path over reportLine().
Lines reportLines(const job::JobReport &report, bool hints = false);
// A job's end as one line after its path: "File(s) successfully converted
// from ''Koi'' to ''Win1251''", a dry run's "would be converted ...", or
// the message; after a recoding's, the characters it sent to a fill byte.
// `hints`: the command line's, which names the option that writes
// look-alikes instead.
Phrase reportLine(const job::JobReport &report, bool hints = false);

// What detection found of a file as it is, for the command line's -d line:
// its line ends, its byte order mark, and the neighbour page its page was
// told from ("line ends CR LF; no byte order mark"); empty for a report
// without them.
Phrase detectionFacts(const job::JobReport &report);

// What the preview says of the text a repair would write (job/
// repair_preview.h): "shown repaired, not saved: UTF-8 read as
// Windows-1251", or why the file would be left as it was.
Phrase repairPreviewText(const job::JobReport &report);

Phrase statusText(const batch::Status &status);
// A file that waits: "Waiting for d01/f001.txt: in use by another program".
Phrase waitText(const batch::FileWait &wait);
// A canceled run's summary: "Canceled: 1234 files done, 3766 not touched"
// (or "... not reached" when the walk had not ended).
Phrase canceledText(const batch::RunOutcome &outcome);
// The same in a message window: "Operation canceled" over the counts.
Lines canceledLines(const batch::RunOutcome &outcome);
// A run's totals in a message window's two lines: the files converted,
// unchanged (nothing would change) and failed; then those left as they
// were for another reason, the characters sent to a fill byte, and each
// operation's hits.
Lines totalsLines(const batch::RunOutcome &outcome);
Phrase promptText(batch::PromptKind kind);
Phrase passedOverText(batch::PassedOver why);
// The progress window's caption of an operation ("Upper case", ...).
Phrase operationTitle(job::OperationCode operation);

} // namespace snpln::i18n
