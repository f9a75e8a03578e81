// Median cost of parsing a 50-line carriers.dat, in memory and from a file.
#include "bench_timer.h"
#include "settings/carriers.h"

#include <fstream>

int main()
{
    std::string text;
    for (int i = 0; i < 50; ++i) {
        text += "Carrier number " + std::to_string(i) + ";" + std::to_string(i % 3) + ";" +
                std::to_string(i % 5) + ";" + std::to_string(i % 2) + ";1\r\n";
    }
    const std::filesystem::path folder = bench::memoryFolder("carriers-bench");
    const std::filesystem::path carriers = folder / kCarriersFileName;
    const std::filesystem::path lastChoice = folder / kLastCarrierFileName;
    std::ofstream(carriers, std::ios::binary) << text;
    std::ofstream(lastChoice, std::ios::binary) << "12";

    constexpr int kSamples = 20000;
    std::printf("carriers.dat of 50 lines, %zu bytes (median of %d runs each)\n", text.size(),
                kSamples);
    CarrierTable table;
    std::size_t count = 0;
    const double parse =
        bench::medianMicroseconds(kSamples, [&] { count += ParseCarrierFile(text, table).size(); });
    const double read = bench::medianMicroseconds(
        kSamples, [&] { count += ReadCarrierList(table, carriers, lastChoice).names.size(); });
    bench::report("ParseCarrierFile (text in memory)", parse);
    bench::report("ReadCarrierList (carriers.dat + carriers2.dat)", read);
    if (count == 0)
        return 1;

    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
