// Binary OSC encoding and decoding, ours beside liblo and oscpack, with a memcpy of the same
// bytes as the floor. Our writer always writes a bundle, so the peers write a bundle too.
#include "osc/QevOscBundle.h"
#include "osc/QevOscOutputStream.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#if QEV_HAVE_LIBLO
#include <lo/lo.h>
#include <lo/lo_lowlevel.h>
#endif
#if QEV_HAVE_OSCPACK
#include <osc/OscOutboundPacketStream.h>
#include <osc/OscReceivedElements.h>
#endif

namespace
{

enum Case
{
    gain,   // one message "/track/1/gain" f 0.5
    gain16, // sixteen of them, "/track/1/gain" to "/track/16/gain"
    mixed,  // "/mixed" i, f, "hello", a 64-byte blob, h, d
};

std::vector<std::string> const& gainAddresses()
{
    static std::vector<std::string> const addresses = []
    {
        std::vector<std::string> a;
        for (int i = 1; i <= 16; ++i)
            a.push_back("/track/" + std::to_string(i) + "/gain");
        return a;
    }();
    return addresses;
}
int messageCount(Case c)
{
    return c == gain16 ? 16 : 1;
}
std::string const blob64(64, '\x5a');

qev::OscBundle ourBundle(Case c)
{
    qev::OscBundle b;
    if (c == mixed)
    {
        qev::OscMessage m("/mixed");
        m.Add(42);
        m.Add(0.5f);
        m.Add(qev::OscArgument("hello"));
        m.Add(qev::OscArgument(qev::MemoryBlock(blob64.data(), blob64.size())));
        m.Add(qev::OscArgument(1LL << 40));
        m.Add(qev::OscArgument(0.125));
        b.Add(m);
        return b;
    }
    for (int i = 0; i < messageCount(c); ++i)
    {
        qev::OscMessage m(gainAddresses()[i].c_str());
        m.Add(0.5f);
        b.Add(m);
    }
    return b;
}

std::string ourPacket(Case c)
{
    qev::OscOutputStream out;
    out.WriteBundle(ourBundle(c));
    return std::string(out.GetData(), out.GetDataSize());
}

// Every decoder reads the same standard bytes: for the mixed case that is a packet with a real
// 'h' (our writer narrows it), written here by hand.
std::string decodeInput(Case c)
{
    if (c != mixed)
        return ourPacket(c);
    auto be32 = [](std::uint32_t v) {
        return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    };
    auto be64 = [&](std::uint64_t v) { return be32(std::uint32_t(v >> 32)) + be32(std::uint32_t(v)); };
    float f = 0.5f;
    double d = 0.125;
    std::uint32_t fb;
    std::uint64_t db;
    std::memcpy(&fb, &f, 4);
    std::memcpy(&db, &d, 8);
    std::string m = std::string("/mixed\0\0,ifsbhd\0", 16) + be32(42) + be32(fb) +
                    std::string("hello\0\0\0", 8) + be32(64) + blob64 + be64(1ull << 40) + be64(db);
    return std::string("#bundle\0", 8) + be64(1) + be32(std::uint32_t(m.size())) + m;
}

void report(benchmark::State& state, std::size_t bytes)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void EncodeOurs(benchmark::State& state, Case c)
{
    qev::OscBundle const bundle = ourBundle(c);
    std::size_t bytes = 0;
    for (auto _ : state)
    {
        qev::OscOutputStream out;
        out.WriteBundle(bundle);
        benchmark::DoNotOptimize(out.GetData());
        bytes = out.GetDataSize();
    }
    report(state, bytes);
}

void DecodeOurs(benchmark::State& state, Case c)
{
    std::string const packet = decodeInput(c);
    for (auto _ : state)
    {
        qev::OscBundle b = qev::OscBundle::CreateFromData(packet.data(), packet.size());
        benchmark::DoNotOptimize(b);
    }
    report(state, packet.size());
}

void Memcpy(benchmark::State& state, Case c)
{
    std::string const packet = decodeInput(c);
    std::vector<char> buffer(packet.size());
    for (auto _ : state)
    {
        std::memcpy(buffer.data(), packet.data(), packet.size());
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    report(state, packet.size());
}

#if QEV_HAVE_LIBLO

lo_bundle loBundle(Case c)
{
    lo_bundle b = lo_bundle_new(LO_TT_IMMEDIATE);
    if (c == mixed)
    {
        lo_message m = lo_message_new();
        lo_message_add_int32(m, 42);
        lo_message_add_float(m, 0.5f);
        lo_message_add_string(m, "hello");
        lo_blob blob = lo_blob_new(64, blob64.data());
        lo_message_add_blob(m, blob);
        lo_blob_free(blob);
        lo_message_add_int64(m, 1LL << 40);
        lo_message_add_double(m, 0.125);
        lo_bundle_add_message(b, "/mixed", m);
        return b;
    }
    for (int i = 0; i < messageCount(c); ++i)
    {
        lo_message m = lo_message_new();
        lo_message_add_float(m, 0.5f);
        lo_bundle_add_message(b, gainAddresses()[i].c_str(), m);
    }
    return b;
}

void EncodeLiblo(benchmark::State& state, Case c)
{
    lo_bundle const bundle = loBundle(c);
    std::vector<char> buffer(lo_bundle_length(bundle));
    std::size_t bytes = 0;
    for (auto _ : state)
    {
        lo_bundle_serialise(bundle, buffer.data(), &bytes);
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    lo_bundle_free_recursive(bundle);
    report(state, bytes);
}

int loTouch(char const*, char const* types, lo_arg** argv, int argc, lo_message, void*)
{
    for (int i = 0; i < argc; ++i)
        benchmark::DoNotOptimize(types[i] == 's' ? static_cast<void*>(&argv[i]->s)
                                                 : static_cast<void*>(argv[i]));
    return 0;
}

// liblo decodes bundles only by dispatching them; a catch-all handler touches every argument.
void DecodeLiblo(benchmark::State& state, Case c)
{
    std::string const packet = decodeInput(c);
    std::vector<char> buffer(packet.begin(), packet.end());
    lo_server server = lo_server_new_with_proto(nullptr, LO_UDP, nullptr);
    if (server == nullptr)
    {
        state.SkipWithError("liblo could not open a UDP socket");
        return;
    }
    lo_server_add_method(server, nullptr, nullptr, loTouch, nullptr);
    for (auto _ : state)
        benchmark::DoNotOptimize(lo_server_dispatch_data(server, buffer.data(), buffer.size()));
    lo_server_free(server);
    report(state, packet.size());
}

#endif // QEV_HAVE_LIBLO

#if QEV_HAVE_OSCPACK

void EncodeOscpack(benchmark::State& state, Case c)
{
    char buffer[2048];
    std::size_t bytes = 0;
    for (auto _ : state)
    {
        osc::OutboundPacketStream p(buffer, sizeof buffer);
        p << osc::BeginBundleImmediate;
        if (c == mixed)
            p << osc::BeginMessage("/mixed") << 42 << 0.5f << "hello"
              << osc::Blob(blob64.data(), osc::osc_bundle_element_size_t(blob64.size()))
              << osc::int64(1LL << 40) << 0.125 << osc::EndMessage;
        else
            for (int i = 0; i < messageCount(c); ++i)
                p << osc::BeginMessage(gainAddresses()[i].c_str()) << 0.5f << osc::EndMessage;
        p << osc::EndBundle;
        benchmark::DoNotOptimize(p.Data());
        bytes = p.Size();
    }
    report(state, bytes);
}

// oscpack parses lazily, so every argument is read out to do the same work as the others.
void touch(osc::ReceivedBundle const& bundle)
{
    for (auto e = bundle.ElementsBegin(); e != bundle.ElementsEnd(); ++e)
    {
        if (e->IsBundle())
        {
            touch(osc::ReceivedBundle(*e));
            continue;
        }
        osc::ReceivedMessage const m(*e);
        benchmark::DoNotOptimize(m.AddressPattern());
        for (auto a = m.ArgumentsBegin(); a != m.ArgumentsEnd(); ++a)
        {
            switch (a->TypeTag())
            {
            case 'i':
                benchmark::DoNotOptimize(a->AsInt32());
                break;
            case 'f':
                benchmark::DoNotOptimize(a->AsFloat());
                break;
            case 'h':
                benchmark::DoNotOptimize(a->AsInt64());
                break;
            case 'd':
                benchmark::DoNotOptimize(a->AsDouble());
                break;
            case 's':
                benchmark::DoNotOptimize(a->AsString());
                break;
            case 'b':
            {
                void const* data;
                osc::osc_bundle_element_size_t size;
                a->AsBlob(data, size);
                benchmark::DoNotOptimize(data);
                break;
            }
            default:
                break;
            }
        }
    }
}

void DecodeOscpack(benchmark::State& state, Case c)
{
    std::string const packet = decodeInput(c);
    for (auto _ : state)
    {
        osc::ReceivedPacket const p(packet.data(), packet.size());
        touch(osc::ReceivedBundle(p));
    }
    report(state, packet.size());
}

#endif // QEV_HAVE_OSCPACK

} // namespace

#define QEV_WIRE_CASES(function)                                                                             \
    BENCHMARK_CAPTURE(function, gain, gain);                                                                 \
    BENCHMARK_CAPTURE(function, gain16, gain16);                                                             \
    BENCHMARK_CAPTURE(function, mixed, mixed)

QEV_WIRE_CASES(EncodeOurs);
#if QEV_HAVE_OSCPACK
QEV_WIRE_CASES(EncodeOscpack);
#endif
#if QEV_HAVE_LIBLO
QEV_WIRE_CASES(EncodeLiblo);
#endif
QEV_WIRE_CASES(DecodeOurs);
#if QEV_HAVE_OSCPACK
QEV_WIRE_CASES(DecodeOscpack);
#endif
#if QEV_HAVE_LIBLO
QEV_WIRE_CASES(DecodeLiblo);
#endif
QEV_WIRE_CASES(Memcpy);
