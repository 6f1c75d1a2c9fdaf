#pragma once

namespace qgui
{

// The framework asks the X server where the pointer is whenever a text field is made or deleted
// (every text editor listens to the whole desktop's mouse), a round trip to the server each time:
// building or deleting thousands of rows of fields spent most of its time waiting for the answers.
// While a batch lives, the message thread's questions are answered with what the first of them
// found. Nothing of the pointer is handled while that thread is busy anyway, and the framework asks
// the server again at its next poll of the mouse.
class PointerQueries
{
public:
    PointerQueries() = delete;

    // By the runtime: routes the framework's pointer questions through the batches, once its X
    // connection is open and before any thread of its own runs; and puts them back before the
    // framework stops. Without libX11 both do nothing.
    static void Install() noexcept;
    static void Remove() noexcept;

    // On the message thread; batches may nest. Elsewhere it does nothing.
    class Batch
    {
    public:
        Batch() noexcept;
        ~Batch();
        Batch(Batch const&) = delete;
        Batch& operator=(Batch const&) = delete;

    private:
        bool counted;
    };
};

} // namespace qgui
