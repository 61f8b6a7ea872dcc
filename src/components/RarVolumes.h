// The volumes of a RAR archive as files on a disk, read without the library: which names
// may follow a volume, whether the volumes are regular files, whether a volume is complete,
// and which of its entries are older versions of a file. All paths are native.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace rarvolumes {

// The names the library may open after this volume, in the new naming (the last group of
// digits counts up) and in the old one (.rar, .r00, .r01, ... .r99, .s00).
std::vector<std::string> NextVolumeNames(const std::string& volume);

// Whether this volume and every one that follows it on the same disk are regular files.
// The library opens what it finds under a volume's name, and a FIFO there would hold it
// (and the whole program) waiting for a writer.
bool VolumesAreRegular(const std::string& volume);

// A first volume given as a symbolic link stands for the file it points to, so that the
// library looks for the next volumes beside that file and the disk prompt names them there:
// an installer run from a copy on a temporary disk links its first volume to the medium.
std::string FollowFirstVolumeLink(const std::string& volume);

// Whether a RAR 5 volume ends with an intact end-of-archive block, found by walking its
// blocks from the start, so that bytes after the end block (padding of the medium) do not
// matter. The library reads a volume cut inside a header as the normal end of the archive;
// this tells the two apart. Older formats cannot be told apart this way and count as
// complete.
bool EndsWithEndBlock(const std::string& volume);

// Tells the older versions of a file that rar's -ver keeps, which the library reports as
// "name;N", from files whose own name merely looks so: only the former carry a version
// record. Each volume's headers are read once, and only once a name has a version's form.
class TOlderVersions {
  public:
    bool Contains(const std::string& volume, const std::string& name);

  private:
    std::string volume_;
    std::set<std::string> names_;
};

}  // namespace rarvolumes
