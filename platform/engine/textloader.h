#pragma once
// Reads a file into text on a worker thread: the whole file is read and its encoding decided
// (or taken as given), then its text is decoded in pieces cut after line breaks, each made
// ready for TextBuffer::appendLoaded(), in order. The first piece is small, so that the first
// screen can show while the rest is decoded; the bytes already decoded go back to the system
// as the worker goes, and it waits while the pieces not yet taken would hold too much.
//
// Piece by piece, the text is the same as TextBuffer::load() makes of the whole file decoded
// at once (break kinds, byte forms and escapes included).
#include "platform/base/encoding.h"
#include "platform/base/fileerror.h"
#include "platform/engine/textbuffer.h"
#include "platform/engine/textbytes.h"

#include <QObject>
#include <QString>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

class TextLoader : public QObject {
    Q_OBJECT
public:
    struct Options {
        std::optional<Encoding> encoding;   // none: decided from the bytes
        qint64 maxBytes = std::numeric_limits<qint64>::max();  // a larger file is not read
        qsizetype firstPieceBytes = 64 * 1024;
        qsizetype pieceBytes = 1024 * 1024;
        // Pieces decoded ahead of the taker at most. Each holds about the memory of the bytes
        // it was decoded from, which go back as it is made.
        int piecesAhead = 8;
    };
    // What the start of the load came to: the file read and its encoding known, or why not.
    struct Start {
        FileError error = FileError::None;
        bool tooLarge = false;              // larger than maxBytes, or than memory allows
        TextBytes::Format format;
        qint64 fileBytes = 0;
        // At least the characters of the whole text: room to reserve for it.
        qsizetype mostChars = 0;
        bool ok() const { return error == FileError::None && !tooLarge; }
    };

    // Starts the worker at once.
    TextLoader(const QString &path, const Options &options, QObject *parent = nullptr);
    // Stops the worker between pieces and waits for it.
    ~TextLoader() override;

    const QString &path() const { return m_path; }

    // Asks the worker to stop after the piece it is on, without waiting for it.
    void stop();

    // Waits for the file to be read and its encoding decided.
    Start waitForStart();
    // The pieces decoded since the last call, in order, most of them at a time (those left
    // are told of again). With wait, waits for one unless every piece has been taken.
    std::vector<TextBuffer::Piece> takePieces(bool wait, int most = std::numeric_limits<int>::max());
    // Every piece decoded and taken (or the file could not be read).
    bool isDone() const;

    // The worker's cutting and decoding, on the caller's thread: bytes in encoding cut after
    // line feeds into pieces of about the sizes given (a piece is longer when no line feed
    // comes sooner), each decoded and prepared, then handed to sink with how many of the bytes
    // are decoded so far. sink returns false to stop.
    using PieceSink = std::function<bool(TextBuffer::Piece &&piece, qsizetype decoded)>;
    static void decodeInPieces(QByteArrayView bytes, Encoding encoding, qsizetype firstPieceBytes,
                               qsizetype pieceBytes, const PieceSink &sink);

signals:
    // Pieces wait to be taken; sent once until they are.
    void piecesReady();

private:
    void run();
    // Hands a piece over, waiting while too many are not taken yet; false when stopped.
    bool deliver(TextBuffer::Piece piece);

    struct Shared;
    const QString m_path;
    const Options m_options;
    std::unique_ptr<Shared> m_shared;
};
