// Text: string variables and the string accumulator in which every string expression is built.
//
// The accumulator is one growable buffer used as a stack. An expression remembers the top as its
// start S, lets each piece append itself at the top, and then either stores the text with
// AssignString(variable, S), which also pops it, or hands AccumulatorText(S) to a callee inside
// PassExpression, which protects the text and pops it afterwards. Text is addressed by position,
// not by pointer, because the buffer moves when it grows. Once the buffer and the variables have
// reached their working sizes, building and storing text allocates nothing.
//
// Producers (AppendString, NumberToString, GetPathPart, FormatDate) write their text at a position,
// normally the top, put a zero byte behind it and leave the top directly behind the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rt {

using TextPosition = std::size_t;

// A string variable: empty until assigned; its block is reused by later assignments and grows only
// when a longer text arrives.
class StringVariable {
 public:
  const char* Text() const { return block_.empty() ? "" : block_.data(); }
  std::size_t Length() const { return block_.empty() ? 0 : block_.size() - 1; }
  // The block in use, or null while the variable has never been assigned.
  const char* Block() const { return block_.empty() ? nullptr : block_.data(); }

  // Stores `length` bytes and a zero byte behind them.
  void Store(const char* text, std::size_t length);

 private:
  std::vector<char> block_;  // the text and its zero byte
};

// Makes room for `length` bytes at `position` and sets the top behind them; returns the place to
// write. The buffer grows by the request plus 16384 bytes whenever fewer than 4 spare bytes would
// remain, so a zero byte always fits behind a reservation.
char* ReserveAccumulator(std::size_t length, TextPosition position);
// Gives back the unused end of a reservation (at most down to 0); returns the count given back.
std::size_t ReleaseAccumulator(std::size_t count);
TextPosition AccumulatorTop();
// Moves the top, for example one byte up to protect the zero byte behind a finished expression.
// Positions beyond the buffer are refused.
void SetAccumulatorTop(TextPosition position);
// The text at a position: valid until the accumulator next grows. Null beyond the buffer.
const char* AccumulatorText(TextPosition position);
std::size_t AccumulatorCapacity();
// Back to the start state (an empty 16-byte buffer); run by the runtime's start.
void StartStringRuntime();

// Producers. A text that itself lies in the accumulator below the top may be passed as the source.
void AppendString(const char* text);
void NumberToString(std::int32_t value, TextPosition position);
void NumberToString(std::int32_t value);  // at the top
// The directory part of a file name: up to and including the last '/' or '\' before any '|', a
// leading double quote left out. Empty for a null name or one without a separator.
void GetPathPart(const char* filename, TextPosition position);

// Consumers.
// Stores the text from `position` to the top into the variable and sets the top back to `position`.
// A position above the top is no expression: nothing happens.
void AssignString(StringVariable& variable, TextPosition position);
// Stores a literal without using the accumulator; null stores the empty text.
void AssignStringLiteral(StringVariable& variable, const char* text);

// Passes the expression started at `start` to `callee(const char* text)`, keeping the text's zero
// byte protected while the callee may use the accumulator, then pops the expression.
template <typename Callee>
decltype(auto) PassExpression(TextPosition start, Callee&& callee) {
  struct Pop {
    TextPosition start;
    ~Pop() { SetAccumulatorTop(start); }
  } pop{start};
  SetAccumulatorTop(AccumulatorTop() + 1);
  return callee(AccumulatorText(start));
}

}  // namespace rt
