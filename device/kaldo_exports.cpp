// The exported operations of the device library.
