// The score board's client. A pellaris-board serves the page (at /play/) and its API (at /api/) from
// one origin, so the page finds a board by asking its own origin, and sends it each finished round:
//   GET  /api/boards/all                     {board, lines: [...]}: there is a board
//   POST /api/rounds?name=N&install=I[&daily=YYYY-MM-DD], the recording as the body
//        201 the round, verified, with rank {all, seed, daily}; 202 {id, location}: ask there later;
//        4xx/5xx {error, message}
//   GET  /api/rounds/ID                      the round: state pending, verified (with rank) or refused
const api = (path) => new URL(path, location.origin);
// How long the page waits: for any one answer (a board that never answers is no board), and for a
// round's verdict.
export const patience = {answerMs: 30000, tries: 20, everyMs: 1000};

// (A browser too old to time a fetch out waits as long as the fetch does.)
const ask = (path, options = {}) =>
  fetch(api(path), {...options, signal: AbortSignal.timeout && AbortSignal.timeout(patience.answerMs)});

// Whether the page's origin is a board; never throws.
export async function findBoard() {
  try {
    const response = await ask('/api/boards/all', {headers: {Accept: 'application/json'}});
    if (!response.ok || !/json/.test(response.headers.get('Content-Type') || '')) return false;
    const answer = await response.json();
    return Array.isArray(answer?.lines);
  } catch {
    return false;
  }
}

// The board's answer as an object; what is not one (not JSON, or JSON but no object) is malformed.
async function answerOf(response) {
  try {
    const answer = await response.json();
    if (answer && typeof answer === 'object') return answer;
  } catch {
    // below
  }
  return {error: 'malformed', message: `the board answered ${response.status}`};
}

// Sends the round; resolves to the board's answer: the round with its rank once verified, or
// {error, message}.
export async function sendRound(recording, {name, install, daily}) {
  const query = new URLSearchParams({name, install});
  if (daily) query.set('daily', daily);
  try {
    const response = await ask(`/api/rounds?${query}`, {
      method: 'POST',
      headers: {'Content-Type': 'text/plain'},
      body: recording,
    });
    let answer = await answerOf(response);
    if (!response.ok) return {error: answer.error || 'refused', message: answer.message || `${response.status}`};
    // Where to ask for the verdict, kept: an answer while waiting (a busy board's 429) does not say.
    const verdictAt = answer.location || (answer.id !== undefined && `/api/rounds/${encodeURIComponent(answer.id)}`);
    for (let tries = 0; ; tries++) {
      if (answer.state === 'verified') return answer;
      if (answer.state === 'refused') return {error: 'refused', message: answer.reason || 'it does not verify'};
      if (!verdictAt) return {error: 'malformed', message: 'the board gave no verdict and no place to ask for one'};
      if (tries === patience.tries) return {error: 'pending', message: 'the board has not verified it yet'};
      await new Promise((resolve) => setTimeout(resolve, patience.everyMs));
      answer = await answerOf(await ask(verdictAt));
    }
  } catch (problem) {
    return {error: 'unreachable', message: `the board cannot be reached (${problem.message})`};
  }
}
