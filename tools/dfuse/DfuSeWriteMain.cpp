// orv-dfuse-write: writes a DfuSe file with one element.
//
//   orv-dfuse-write --address ADDRESS (--input FILE | --demo-size BYTES)
//                   [--firmware-version HH.HH] [--vid ID] [--pid ID] [--device-version BCD]
//                   [--target-name NAME] OUTPUT
//
// --demo-size makes data of a fixed pattern. --firmware-version writes the version record that
// the simulated devices read (platform/SimulatedFirmwareImage.h) into the data, so that a unit
// written with the file reports that version. Numbers are decimal or hexadecimal with 0x.
// Exit status: 0 written, 1 the file could not be read or written, 2 bad arguments.
#include "DfuSeWriter.h"
#include "platform/SimulatedFirmwareImage.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace
{
int Usage(const std::string& problem)
{
    std::fprintf(stderr,
                 "orv-dfuse-write: %s\n"
                 "usage: orv-dfuse-write --address ADDRESS (--input FILE | --demo-size BYTES)\n"
                 "         [--firmware-version HH.HH] [--vid ID] [--pid ID] "
                 "[--device-version BCD]\n"
                 "         [--target-name NAME] OUTPUT\n",
                 problem.c_str());
    return 2;
}

bool ParseNumber(const std::string& text, unsigned long long max, unsigned long long& value)
{
    if (text.empty())
    {
        return false;
    }
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    unsigned long long result = 0;
    for (std::size_t i = hex ? 2 : 0; i < text.size(); ++i)
    {
        const char c = text[i];
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
        {
            digit = static_cast<unsigned>(c - '0');
        }
        else if (hex && c >= 'a' && c <= 'f')
        {
            digit = static_cast<unsigned>(c - 'a' + 10);
        }
        else if (hex && c >= 'A' && c <= 'F')
        {
            digit = static_cast<unsigned>(c - 'A' + 10);
        }
        else
        {
            return false;
        }
        result = result * (hex ? 16 : 10) + digit;
        if (result > max)
        {
            return false;
        }
    }
    value = result;
    return true;
}

bool ParseVersion(std::string text, std::uint16_t& version)
{
    if (text.size() == 5 && text[2] == '.')
    {
        text.erase(2, 1);
    }
    unsigned long long value = 0;
    if (text.size() != 4 || !ParseNumber("0x" + text, 0xFFFF, value))
    {
        return false;
    }
    version = static_cast<std::uint16_t>(value);
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    OrvTools::DfuSeImage image;
    std::string input;
    std::string output;
    unsigned long long demoSize = 0;
    bool haveAddress = false;
    bool haveDemo = false;
    bool haveVersion = false;
    std::uint16_t firmwareVersion = 0;

    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        auto value = [&](std::string& target)
        {
            if (i + 1 >= argc)
            {
                return false;
            }
            target = argv[++i];
            return true;
        };
        std::string text;
        unsigned long long number = 0;
        if (arg == "--address")
        {
            if (!value(text) || !ParseNumber(text, 0xFFFFFFFFull, number))
            {
                return Usage("--address needs a 32-bit number");
            }
            image.address = static_cast<std::uint32_t>(number);
            haveAddress = true;
        }
        else if (arg == "--input")
        {
            if (!value(input))
            {
                return Usage("--input needs a file");
            }
        }
        else if (arg == "--demo-size")
        {
            if (!value(text) || !ParseNumber(text, 0x7FFFFFFFull, demoSize))
            {
                return Usage("--demo-size needs a number of bytes");
            }
            haveDemo = true;
        }
        else if (arg == "--firmware-version")
        {
            if (!value(text) || !ParseVersion(text, firmwareVersion))
            {
                return Usage("--firmware-version needs four hexadecimal digits, as 00.31");
            }
            haveVersion = true;
        }
        else if (arg == "--vid" || arg == "--pid" || arg == "--device-version")
        {
            if (!value(text) || !ParseNumber(text, 0xFFFF, number))
            {
                return Usage(arg + " needs a 16-bit number");
            }
            const auto id = static_cast<std::uint16_t>(number);
            (arg == "--vid"   ? image.vendorId
             : arg == "--pid" ? image.productId
                              : image.bcdDevice) = id;
        }
        else if (arg == "--target-name")
        {
            if (!value(image.targetName) ||
                image.targetName.size() > OrvTools::DfuSeWriter::kMaximumNameLength)
            {
                return Usage("--target-name needs a name of at most 254 bytes");
            }
        }
        else if (!arg.empty() && arg[0] == '-')
        {
            return Usage("unknown option " + arg);
        }
        else if (output.empty())
        {
            output = arg;
        }
        else
        {
            return Usage("more than one output file");
        }
    }
    if (!haveAddress || output.empty() || input.empty() == !haveDemo)
    {
        return Usage("needs --address, one of --input and --demo-size, and the output file");
    }

    if (haveDemo)
    {
        image.data = OrvPlatform::SimulatedFirmwareImage::Make(firmwareVersion, demoSize);
        image.data.resize(demoSize);
    }
    else
    {
        std::ifstream file(input, std::ios::binary);
        if (!file)
        {
            std::fprintf(stderr, "orv-dfuse-write: %s: cannot be read\n", input.c_str());
            return 1;
        }
        image.data.assign(std::istreambuf_iterator<char>(file), {});
        if (file.bad())
        {
            std::fprintf(stderr, "orv-dfuse-write: %s: cannot be read\n", input.c_str());
            return 1;
        }
    }
    if (haveVersion)
    {
        OrvPlatform::SimulatedFirmwareImage::Stamp(image.data, firmwareVersion);
    }
    std::string error;
    if (!OrvTools::DfuSeWriter::WriteFile(image, output, error))
    {
        std::fprintf(stderr, "orv-dfuse-write: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
