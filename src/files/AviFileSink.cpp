// The AVI writer's bytes going to a CBinaryFile.
#include "files/AviFileSink.h"

#include <new>

#include "files/CBinaryFile.h"

namespace nodrix::files {
namespace {

class BinaryFileSink final : public AviSink {
public:
    bool Open(const char* fileName) { return file_.OpenForWriting(fileName); }
    bool Write(const void* data, std::uint32_t size) override { return file_.Write(data, size); }
    bool Seek(std::uint32_t offset) override { return file_.Seek(offset); }
    bool Truncate(std::uint32_t size) override { return file_.Truncate(size); }
    void Close() override { file_.Close(); }

private:
    CBinaryFile file_;
};

}  // namespace

std::unique_ptr<AviSink> OpenAviFile(const char* fileName) {
    std::unique_ptr<BinaryFileSink> sink(new (std::nothrow) BinaryFileSink());
    if (!sink || !sink->Open(fileName)) return nullptr;
    return sink;
}

}  // namespace nodrix::files
