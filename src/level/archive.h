// The indexed level archive: record 2k-2 holds level k, record 2k-1 its movie.
#pragma once

constexpr int ARCHIVE_MAX_RECORDS = 800;

int read_record(int record, unsigned char* buffer, int max_length);
int write_record(int record, const unsigned char* data, int length);
