#!/usr/bin/env bash
# Fails when the logic's objects define or reference anything that allocates
# from the heap: operator new or delete, the C allocation functions, or the
# standard library's containers, strings, allocators and owning pointers.
#
#   check_no_heap.sh NM LIBRARY...
#
# Every symbol counts, defined or undefined: an inline std::vector member
# compiled into an object is as much a use as a call into the library.
set -euo pipefail
nm_tool="$1"
shift

forbidden='operator new|operator delete'
forbidden+='|(^|[^A-Za-z0-9_])(malloc|calloc|realloc|reallocarray|free|strdup|strndup|wcsdup|posix_memalign|aligned_alloc|memalign|valloc|pvalloc)($|[^A-Za-z0-9_])'
forbidden+='|std::(__cxx11::|__1::)?(basic_string|basic_stringbuf|basic_[io]?stringstream|vector|deque|list|forward_list|map|multimap|set|multiset|unordered_map|unordered_multimap|unordered_set|unordered_multiset|priority_queue|queue|stack|allocator|__new_allocator|function|shared_ptr|unique_ptr|make_shared|make_unique|default_delete)'
forbidden+='|__gnu_cxx::new_allocator'

status=0
for library in "$@"; do
    # "member.o:" headers, then "<address> <type> <name>", names demangled.
    listing=$("$nm_tool" -C "$library")
    if ! grep -q 'ProgramMain' <<<"$listing"; then
        echo "no-heap check: $library does not look like the logic library (no ProgramMain)" >&2
        exit 2
    fi
    found=$(awk -v pattern="$forbidden" '
        /:$/ { member = $0; next }
        NF >= 2 {
            name = $0
            sub(/^[0-9a-fA-F ]+ [A-Za-z?-] /, "", name)
            if (name ~ pattern) print member " " name
        }' <<<"$listing")
    if [ -n "$found" ]; then
        echo "no-heap check: the logic uses the heap:" >&2
        echo "$found" >&2
        status=1
    fi
done
exit $status
