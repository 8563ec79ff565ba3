"""Stand-in of the Marivon platform: HTTP wire, documents, state, faults and endpoints."""
