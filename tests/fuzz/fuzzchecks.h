#pragma once
// What every fuzz input must satisfy, whatever its bytes: no crash, and not one byte lost on
// the way to text and back. A check that fails prints the input and what differed, then
// aborts, so that a fuzzer keeps the input and the replay driver fails.
#include <QByteArrayView>

namespace FuzzChecks {

// The detector's decision and its one-pass decoding agree, and the text it gives encodes back
// (byte-order mark and byte forms included) to the input.
void detector(QByteArrayView input);

// In every encoding, decode then encode gives the input back, reports nothing unencodable,
// and finds no place that would read back as other text.
void codecs(QByteArrayView input);

// A text buffer read from the input (encoding detected) and written in the format read gives
// the input back, with nothing reported.
void textBytes(QByteArrayView input);

// In every encoding, the input decoded in pieces cut after line feeds (the worker's way of
// opening a file), the pieces appended to a buffer one by one, makes the buffer that loading
// the whole decoded text makes: the same text, break kinds and byte forms.
void pieces(QByteArrayView input);

// The input as UTF-16 (little-endian units, an odd last byte left out) is a text a document
// may hold: in every encoding, what encode() writes reads back as that text, the characters it
// reports unencodable as '?' (and only those the encoding cannot hold), exactly when
// readBackChanges() finds no place, so that a save never loses text without the question.
void texts(QByteArrayView input);

// The input read as a recovery journal gives a whole text, an earlier one with the reason,
// or none with the reason and an empty buffer; never a crash.
void journal(QByteArrayView input);

} // namespace FuzzChecks
